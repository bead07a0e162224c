#!/bin/bash
# Runs a test program under Wine. Wine's helper processes (wineserver, services, the desktop
# explorer) outlive the program and would keep CTest's output pipes open, so the program's
# output goes through a file that only this script holds.
out="$(mktemp)"
wine "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
exit $rc
