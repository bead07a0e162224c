#!/bin/sh
# ImageMagick reads the BMP files our writer makes: the framework tests write them (from the
# sample pictures) into a folder, and ImageMagick's compare must find no pixel that differs
# from the picture they were made from.
# Usage: check_bmp_readback.sh <emulator> <framework_tests.exe> <samples folder> <work folder>
#        <compare program>
set -eu
emulator="$1"
tests="$2"
samples="$3"
work="$4"
compare="$5"
rm -rf "$work"
mkdir -p "$work"
SORAHANE_BMP_EXPORT="Z:$(printf '%s' "$work" | tr '/' '\\')"
export SORAHANE_BMP_EXPORT
"$emulator" "$tests" --gtest_filter='BmpImageMagick.ExportForImageMagick' --gtest_color=no

# written file, picture it must equal, channels compared
status=0
check() {
  if [ ! -f "$work/$1" ]; then
    echo "missing: $1"
    status=1
    return
  fi
  differing=$("$compare" -channel "$3" -metric AE "$work/$1" "$samples/$2" null: 2>&1 || true)
  echo "$1 against $2 ($3): $differing differing pixels"
  [ "$differing" = "0" ] || status=1
}
check rgb_mode0.bmp rgb.ppm RGB
check rgba_mode0.bmp rgb.ppm RGB
check rgba_mode1.bmp rgba.png RGBA
check alpha_mode2.bmp alpha.pgm Gray
check forty_palette.bmp forty.ppm RGB
check twelve_negative_height.bmp twelve.ppm RGB
exit $status
