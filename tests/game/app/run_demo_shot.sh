#!/bin/bash
# The sample game's picture test: makes the sample game, runs SORAHANE.exe on the test's display,
# takes a picture of the game area about a second after the window shows (as scripts/demo does),
# lets the game end by itself (code 0) and checks the picture (check_demo_shot.sh): the
# background in the four corners and the moving sprite's colour over about its area.
#   run_demo_shot.sh <source root> <build dir>
set -uo pipefail
ROOT="$1"
BUILD_DIR="$2"
export ROOT BUILD_DIR
if [ -n "${SORAHANE_EMULATED_I386:-}" ]; then
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};dsound="
fi
OUT="$BUILD_DIR/sample_game_shot"
game="$OUT/game"
log="$OUT/run.log"
mkdir -p "$OUT"
rm -f "$OUT/window.png" "$OUT/screenshot.png"
if ! "$ROOT/scripts/make_demo_game" "$game" single >"$log" 2>&1; then
  echo "the game was not made"; cat "$log"; exit 1
fi
title='そらはね体験版'
(cd "$game" && exec timeout 300 wine SORAHANE.exe) >>"$log" 2>&1 &
runner=$!
"$ROOT/scripts/demo_screenshot" "$title" "$runner" "$OUT" "$ROOT/tests/game/app/check_demo_shot.sh"
wait "$runner"
code=$?
status=0
[ "$code" = 0 ] || { echo "SORAHANE.exe ended with $code"; status=1; }
"$ROOT/tests/game/app/check_demo_shot.sh" "$OUT/screenshot.png" || status=1
exit "$status"
