#!/bin/sh
# Draws the pictures of SORAHANE's dialogs: bitmap 130 (the version dialog's picture, a wing
# over the sea) and cursors 120-123 (a pointing hand and three arrows), written as .cur files
# by turning ImageMagick's 32 x 32 icons into cursors with their hot spots.
# Usage: make_dialog_pictures.sh <output folder> <convert>
set -e
OUT="$1"
CONVERT="$2"
mkdir -p "$OUT"
"$CONVERT" -size 96x64 gradient:skyblue-midnightblue -fill ghostwhite \
    -draw "ellipse 48,30 30,10 190,350" -fill midnightblue -draw "ellipse 48,36 26,8 190,350" \
    -type truecolor BMP3:"$OUT/version.bmp"

# cursor <file> <hot x> <hot y> <draw...>
cursor() {
    file="$1"; hx="$2"; hy="$3"; shift 3
    "$CONVERT" -size 32x32 xc:none -fill white -stroke black "$@" -depth 8 "ICO:$OUT/$file.ico"
    # ICONDIR type 2 (cursor); the first entry's planes and bit count are the hot spot.
    printf '\002\000' | dd of="$OUT/$file.ico" bs=1 seek=2 conv=notrunc status=none
    printf "$(printf '\\%03o\\%03o\\%03o\\%03o' "$hx" 0 "$hy" 0)" |
        dd of="$OUT/$file.ico" bs=1 seek=10 conv=notrunc status=none
    mv "$OUT/$file.ico" "$OUT/$file.cur"
}
cursor link 10 1 -draw "polygon 10,1 14,1 14,12 26,14 26,26 20,31 9,31 4,20 10,18"
cursor arrow_left 1 15 -draw "polygon 1,15 15,3 15,10 30,10 30,20 15,20 15,27"
cursor arrow_right 30 15 -draw "polygon 30,15 16,3 16,10 1,10 1,20 16,20 16,27"
cursor arrow_up 15 1 -draw "polygon 15,1 27,15 20,15 20,30 10,30 10,15 3,15"
touch "$OUT/stamp"
