#!/bin/bash
# The program test: makes the sample game and runs SORAHANE.exe on it in the single-threaded and
# the threaded mode. Each run must end by itself with exit code 0, writing the start-up log,
# USER.CFG (beside the program in save-folder mode 1) and SAVEDATA\APP_CFG.DAT; the script itself
# writes DEMO.TXT through its file commands.
#   run_sample_game.sh <source root> <build dir>
set -uo pipefail
ROOT="$1"
BUILD_DIR="$2"
export ROOT BUILD_DIR
# Under qemu's i386 emulation a Wine process dies once DirectSound's mixing thread runs beside
# the game: there the game runs without sound (its DirectSound creation fails quietly).
if [ -n "${SORAHANE_EMULATED_I386:-}" ]; then
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};dsound="
fi
status=0
for mode in single threaded; do
  game="$BUILD_DIR/sample_game_test/$mode"
  mkdir -p "$BUILD_DIR/sample_game_test"
  log="$BUILD_DIR/sample_game_test/$mode.log"
  # Wine's own helper processes may outlive a run (and, under the emulation, crash into a
  # debugger): their output goes to a file, so that they hold no pipe of the test's.
  if ! "$ROOT/scripts/make_demo_game" "$game" "$mode" >"$log" 2>&1; then
    echo "$mode: the game was not made"; cat "$log"; status=1; continue
  fi
  # An old time stamp, so that the run must write USER.CFG again.
  touch -d 2001-01-01 "$game/USER.CFG"
  (cd "$game" && timeout 300 wine SORAHANE.exe) >>"$log" 2>&1
  code=$?
  if [ "$code" != 0 ]; then echo "$mode: SORAHANE.exe ended with $code"; status=1; fi
  for file in SYS_LOG.TXT SAVEDATA/APP_CFG.DAT USER.CFG; do
    [ -s "$game/$file" ] || { echo "$mode: $file was not written"; status=1; }
  done
  [ "$(stat -c %s "$game/SAVEDATA/APP_CFG.DAT" 2>/dev/null)" = 200 ] || { echo "$mode: APP_CFG.DAT is not 200 bytes"; status=1; }
  [ "$(stat -c %Y "$game/USER.CFG")" -gt 978307200 ] || { echo "$mode: USER.CFG was not written"; status=1; }
  [ "$(stat -c %s "$game/USER.CFG")" = 111 ] || { echo "$mode: USER.CFG is not 111 bytes"; status=1; }
  expected="SORAHANE sample game: the script wrote this line (42).
MAIN.SOB copied out of SCRIPT.QPK into MAIN_COPY.SOB (0)."
  [ "$(tr -d '\r' <"$game/DEMO.TXT" 2>/dev/null)" = "$expected" ] ||
    { echo "$mode: DEMO.TXT does not hold the script's lines"; cat "$game/DEMO.TXT"; status=1; }
  [ -s "$game/MAIN_COPY.SOB" ] || { echo "$mode: the script copied nothing out of its archive"; status=1; }
  grep -q "Initialize Done" "$game/SYS_LOG.TXT" 2>/dev/null || { echo "$mode: the log does not end the start-up"; status=1; }
  [ "$status" = 0 ] && echo "$mode: ended by itself, log and settings written"
done
exit "$status"
