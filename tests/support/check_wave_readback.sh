#!/bin/sh
# sox reads back the WAV files our export writes: the framework tests export a TSND sound and
# an Ogg Vorbis sound into a folder, and soxi must see the format and length they have, and sox
# must decode exactly the PCM bytes behind the 46-byte header.
# Usage: check_wave_readback.sh <emulator> <framework_tests.exe> <work folder> <sox> <soxi>
set -eu
emulator="$1"
tests="$2"
work="$3"
sox="$4"
soxi="$5"
rm -rf "$work"
mkdir -p "$work"
SORAHANE_WAVE_EXPORT="Z:$(printf '%s' "$work" | tr '/' '\\')"
export SORAHANE_WAVE_EXPORT
"$emulator" "$tests" --gtest_filter='WaveExportReadback.*' --gtest_color=no

# file, channels, rate, samples per channel
status=0
check() {
  if [ ! -f "$work/$1" ]; then
    echo "missing: $1"
    status=1
    return
  fi
  seen="$("$soxi" -c "$work/$1") $("$soxi" -r "$work/$1") $("$soxi" -s "$work/$1")"
  echo "$1: channels, rate, samples $seen (want $2 $3 $4)"
  [ "$seen" = "$2 $3 $4" ] || status=1
  decoded=$("$sox" "$work/$1" -t s16 - | cksum)
  stored=$(tail -c +47 "$work/$1" | cksum)
  [ "$decoded" = "$stored" ] || { echo "$1: sox decodes other samples than the file holds"; status=1; }
}
check tsnd_mono.wav 1 22050 22050
check tsnd_stereo.wav 2 44100 11025
check ogg_mono.wav 1 22050 22050
check ogg_stereo.wav 2 44100 44100
exit $status
