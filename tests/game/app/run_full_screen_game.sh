#!/bin/bash
# The full-screen program tests: makes the sample game with settings that start it full screen
# and runs it; it must end by itself with exit code 0, write its log and its settings, and the
# script's file command must have written DEMO.TXT.
#   run_full_screen_game.sh <source root> <build dir> fullscreen|fullscreen_desktop
# fullscreen: sorahane_fullscreen.exe in its 1280x1024 Wine virtual desktop, changing the display
# mode to 800x600. fullscreen_desktop: SORAHANE.exe full screen on the X desktop as it is (no
# mode change, no exclusive level).
# Under qemu's i386 emulation both are skipped (exit code 77); they run wherever 32-bit code runs
# natively. There any window made in a virtual desktop ends the Wine process with an X error, and
# on the plain desktop the process dies (SIGSEGV in the emulator) once full screen creates its
# DirectDraw object beside the window, before the script runs; the settings' way to the screen
# device is tested in game_tests (SampleGameFullScreen).
set -uo pipefail
ROOT="$1"
BUILD_DIR="$2"
MODE="$3"
export ROOT BUILD_DIR
if [ "${SORAHANE_EMULATED_I386:-}" = 1 ]; then
  echo "skipped: full screen ends the Wine process under the i386 emulation"
  exit 77
fi
program=SORAHANE.exe
[ "$MODE" = fullscreen ] && program=sorahane_fullscreen.exe
game="$BUILD_DIR/sample_game_test/$MODE"
mkdir -p "$BUILD_DIR/sample_game_test"
log="$BUILD_DIR/sample_game_test/$MODE.log"
if ! "$ROOT/scripts/make_demo_game" "$game" "$MODE" >"$log" 2>&1; then
  echo "$MODE: the game was not made"; cat "$log"; exit 1
fi
[ -f "$game/$program" ] || { echo "$MODE: $program is not in the game folder"; exit 1; }
touch -d 2001-01-01 "$game/USER.CFG"
(cd "$game" && timeout 300 wine "$program") >>"$log" 2>&1
code=$?
status=0
if [ "$code" != 0 ]; then echo "$MODE: $program ended with $code"; status=1; fi
for file in SYS_LOG.TXT SAVEDATA/APP_CFG.DAT USER.CFG; do
  [ -s "$game/$file" ] || { echo "$MODE: $file was not written"; status=1; }
done
[ "$(stat -c %Y "$game/USER.CFG")" -gt 978307200 ] || { echo "$MODE: USER.CFG was not written"; status=1; }
expected="SORAHANE sample game: the script wrote this line (42).
MAIN.SOB copied out of SCRIPT.QPK into MAIN_COPY.SOB (0)."
[ "$(tr -d '\r' <"$game/DEMO.TXT" 2>/dev/null)" = "$expected" ] ||
  { echo "$MODE: DEMO.TXT does not hold the script's lines"; status=1; }
grep -q "Initialize Done" "$game/SYS_LOG.TXT" 2>/dev/null || { echo "$MODE: the log does not end the start-up"; status=1; }
if [ "$status" = 0 ]; then
  echo "$MODE: $program played the sample game full screen and ended by itself"
else
  tail -n 40 "$log"
fi
exit "$status"
