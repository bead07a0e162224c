#!/bin/sh
# Makes the Ogg Vorbis samples of the sound tests and the benchmark: tones by sox, encoded by
# oggenc (encoders that are not ours). A mono 22050 Hz second of 440 Hz; a stereo 44100 Hz
# second, 440 Hz on the left and 1000 Hz on the right; thirty seconds of stereo music-like tones.
# Usage: make_sound_samples.sh <output folder> <sox program> <oggenc program>
set -eu
out="$1"
sox="$2"
oggenc="$3"
mkdir -p "$out"
cd "$out"
"$sox" -n -r 22050 -c 1 -b 16 mono.wav synth 1 sine 440 gain -3
"$sox" -n -r 44100 -c 2 -b 16 stereo.wav synth 1 sine 440 sine 1000 gain -3
"$sox" -n -r 44100 -c 2 -b 16 long.wav synth 30 sine 220-880 sine 330 gain -6
"$oggenc" -Q -q 4 mono.wav -o mono22050.ogg
"$oggenc" -Q -q 4 stereo.wav -o stereo44100.ogg
"$oggenc" -Q -q 4 long.wav -o long30.ogg
rm -f mono.wav stereo.wav long.wav
touch stamp
