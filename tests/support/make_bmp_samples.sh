#!/bin/sh
# Makes the reference BMP files of the BMP tests with ImageMagick, a BMP writer that is not
# ours: small pictures written as plain-text PPM/PGM (which the tests read as the expected
# pixels) and converted to BMP in every depth and compression ImageMagick writes.
# Usage: make_bmp_samples.sh <output folder> <convert program>
set -eu
out="$1"
convert="$2"
mkdir -p "$out"
cd "$out"
W=13
H=7

# picture <file> <P3 colour or P2 grey> <expression of x and y> <the pixel's values>
picture() {
  file="$1"
  magic="$2"
  expr="$3"
  values="$4"
  {
    echo "$magic"
    echo "$W $H"
    echo "255"
    y=0
    while [ $y -lt $H ]; do
      x=0
      line=""
      while [ $x -lt $W ]; do
        eval "$expr"
        eval "line=\"\$line $values\""
        x=$((x + 1))
      done
      echo "$line"
      y=$((y + 1))
    done
  } > "$file"
}

rgb='$r $g $b'
# Two colours; twelve colours; forty colours with runs; every pixel its own colour; the grey
# levels that become the 32-bit picture's alpha.
picture two.ppm P3 'if [ $(((x * 3 + y) % 5)) -lt 2 ]; then r=250 g=240 b=10; else r=20 g=30 b=200; fi' "$rgb"
picture twelve.ppm P3 'i=$(((x / 2 + y * 5) % 12)); r=$((i * 20)) g=$((255 - i * 17)) b=$(((i * 71) % 256))' "$rgb"
picture forty.ppm P3 'if [ $x -lt 5 ]; then i=$((y * 3)); else i=$(((x + y * 7) % 40)); fi; r=$((i * 6)) g=$(((i * 53) % 256)) b=$((255 - i * 5))' "$rgb"
picture rgb.ppm P3 'r=$((x * 19 + y)) g=$((y * 36 + x)) b=$(((x * y * 7 + 11) % 256))' "$rgb"
picture alpha.pgm P2 'a=$(((x * 20 + y * 37) % 256))' '$a'

"$convert" two.ppm -type Palette -compress None BMP3:bmp1.bmp
"$convert" twelve.ppm -type Palette -compress None BMP3:bmp4.bmp
"$convert" forty.ppm -type Palette -compress None BMP3:bmp8.bmp
"$convert" forty.ppm -type Palette -compress RLE BMP3:rle8.bmp
"$convert" rgb.ppm -type TrueColor BMP3:bmp24.bmp
"$convert" rgb.ppm alpha.pgm -alpha off -compose CopyOpacity -composite \
  -define bmp3:alpha=true -type TrueColorAlpha BMP3:bmp32.bmp
# The 32-bit picture with its alpha, as ImageMagick compares it.
"$convert" rgb.ppm alpha.pgm -alpha off -compose CopyOpacity -composite rgba.png
touch stamp
