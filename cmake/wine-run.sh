#!/bin/bash
# Runs a test program under Wine. Wine's helper processes (wineserver, services, the desktop
# explorer) outlive the program and would keep CTest's output pipes open, so the program's
# output goes through a file that only this script holds.
#
# Under qemu's i386 emulation (SORAHANE_EMULATED_I386=1, see scripts/env.sh) a Wine process
# sometimes dies inside the emulator between tests or while it exits. There a GoogleTest
# program whose run ends without its summary is not trusted as a whole: every test suite it
# did not finish runs again (first all in one process, then, if that dies too, suite by suite in
# processes of their own, less the tests already finished), and the
# program passes only when every test has passed or been skipped in some run and no run died
# inside a test.
run_once() {
  local out
  out="$(mktemp)"
  wine "$@" >"$out" 2>&1 </dev/null
  local rc=$?
  cat "$out"
  LAST_OUTPUT="$(tr -d '\r' <"$out")"
  rm -f "$out"
  return $rc
}

finished_tests() {  # names of the tests that ended (passed, skipped or failed) in an output
  printf '%s\n' "$1" | sed -n -E 's/^\[ +(OK|SKIPPED|FAILED) +\] ([A-Za-z0-9_/.]+) \(.*/\2/p;
                                    s/^\[ +SKIPPED +\] ([A-Za-z0-9_/.]+)$/\1/p' | sort -u
}

failed_tests() {
  printf '%s\n' "$1" | sed -n -E 's/^\[ +FAILED +\] ([A-Za-z0-9_/.]+) \(.*/\1/p'
}

program="$1"
case "$program" in
  *_tests.exe) ;;
  *) run_once "$@"; exit $? ;;
esac
if [ "${SORAHANE_EMULATED_I386:-}" != 1 ]; then
  run_once "$@"
  exit $?
fi

# Tests that cannot run under the emulator stay out, also of a subset the caller chose.
chosen=""
excluded="$(sed -e '/^#/d' -e '/^$/d' "$(dirname "$0")/../tests/emulation_excluded_tests.txt" | paste -sd:)"
args=()
for arg in "$@"; do
  case "$arg" in
    --gtest_filter=*)
      chosen=1
      filter="${arg#--gtest_filter=}"
      if [ -n "$excluded" ]; then
        case "$filter" in
          *-*) filter="$filter:$excluded" ;;
          *) filter="$filter-$excluded" ;;
        esac
      fi
      arg="--gtest_filter=$filter"
      ;;
  esac
  args+=("$arg")
done
set -- "${args[@]}"
if [ -z "$chosen" ] && [ -n "$excluded" ]; then
  set -- "$@" "--gtest_filter=-$excluded"
fi

run_once "$@"
rc=$?
[ $rc = 0 ] && exit 0
first="$LAST_OUTPUT"
if printf '%s\n' "$first" | grep -q '^\[==========\] [0-9]* tests\? from .* ran\.'; then
  # The whole run was reported: a death after the summary changes nothing it says.
  if [ -z "$(failed_tests "$first")" ] && printf '%s\n' "$first" | grep -q '^\[  PASSED  \]'; then
    echo "== the program died after its summary, under the emulator; every test had passed"
    exit 0
  fi
  exit $rc
fi
[ -n "$chosen" ] && exit $rc  # a chosen subset runs once

status=0
[ -n "$(failed_tests "$first")" ] && status=1
done_list="$(finished_tests "$first")"
# One process first for everything the run did not finish; most deaths do not come back.
echo "== the program died before its summary under the emulator: running the rest once more"
rest="$(printf '%s\n' "$done_list" | grep . | paste -sd:)"
rest="${rest:+$rest:}$excluded"
run_once "$program" --gtest_color=no "--gtest_filter=-${rest%:}" >/dev/null
second="$LAST_OUTPUT"
[ -n "$(failed_tests "$second")" ] && { status=1; failed_tests "$second" | sed 's/^/FAILED: /'; }
if printf '%s\n' "$second" | grep -q '^\[==========\] [0-9]* tests\? from .* ran\.'; then
  echo "== the rest: $(printf '%s\n' "$second" | grep -c '^\[       OK \]') passed"
  exit $status
fi
done_list="$(printf '%s\n%s\n' "$done_list" "$(finished_tests "$second")" | grep . | sort -u)"
echo "== died again: running the rest suite by suite"
suites="$(wine "$program" --gtest_list_tests 2>/dev/null </dev/null | tr -d '\r' |
          sed -n -E 's/^([A-Za-z0-9_/]+)\.( .*)?$/\1/p')"
for suite in $suites; do
  skip=""
  for t in $(printf '%s\n' "$done_list" | grep "^$suite\." || true) \
           $(printf '%s\n' "$excluded" | tr ':' '\n' | grep "^$suite\." || true); do
    skip="$skip:$t"
  done
  run_once "$program" --gtest_color=no "--gtest_filter=$suite.*${skip:+-${skip#:}}" >/dev/null
  suite_rc=$?
  out="$LAST_OUTPUT"
  [ -n "$(failed_tests "$out")" ] && { status=1; failed_tests "$out" | sed 's/^/FAILED: /'; }
  if [ $suite_rc != 0 ] && ! printf '%s\n' "$out" | grep -q '^\[==========\] [0-9]* tests\? from .* ran\.'; then
    echo "== $suite died again before its summary:"
    printf '%s\n' "$out" | tail -5
    status=1
  fi
  echo "== $suite: $(printf '%s\n' "$out" | grep -c '^\[       OK \]') passed, $(printf '%s\n' "$out" | grep -c '^\[  SKIPPED \] [A-Za-z]') skipped"
done
exit $status
