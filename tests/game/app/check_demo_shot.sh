#!/bin/bash
# Checks a screenshot of the sample game's 800 x 600 game area: each corner shows the colour of
# the background's quarter there (tools/content/demo_pictures.h), within a small tolerance, and
# the sprite's colour (magenta, found nowhere in the background) covers about the disc's area
# (pi x 32 x 32, about 3217 pixels; 2400 to 4000 are taken).
#   check_demo_shot.sh <screenshot.png>
set -uo pipefail
SHOT="$1"
status=0
[ -s "$SHOT" ] || { echo "check_demo_shot: no screenshot $SHOT"; exit 1; }
read -r w h < <(identify -format '%w %h\n' "$SHOT")
[ "$w" = 800 ] && [ "$h" = 600 ] || { echo "check_demo_shot: the shot is $w x $h, not 800 x 600"; exit 1; }
# The pixel at (x, y) as three decimal channel values.
pixel() { convert "$SHOT" -format "%[fx:int(255*p{$1,$2}.r)] %[fx:int(255*p{$1,$2}.g)] %[fx:int(255*p{$1,$2}.b)]" info:; }
near() {
  local name="$1" x="$2" y="$3" er="$4" eg="$5" eb="$6" r g b
  read -r r g b < <(pixel "$x" "$y")
  for pair in "$r $er" "$g $eg" "$b $eb"; do
    set -- $pair
    local d=$(( $1 - $2 ))
    if [ "${d#-}" -gt 8 ]; then
      echo "check_demo_shot: the $name corner ($x, $y) is $r $g $b, not $er $eg $eb"; status=1; return
    fi
  done
}
near "top left" 2 2 192 64 64
near "top right" 797 2 64 160 64
near "bottom left" 2 597 64 96 192
near "bottom right" 797 597 192 160 64
# Everything that is not the sprite's colour black, the rest white: the mean counts the rest.
sprite="$(convert "$SHOT" -alpha off -fuzz 6% -fill black +opaque '#FF00FF' -fill white -opaque '#FF00FF' \
  -format '%[fx:int(mean*w*h+0.5)]' info:)"
if [ "$sprite" -lt 2400 ] || [ "$sprite" -gt 4000 ]; then
  echo "check_demo_shot: the sprite's colour covers $sprite pixels, not about 3217"; status=1
fi
[ "$status" = 0 ] && echo "check_demo_shot: the corners show the background, the sprite covers $sprite pixels"
exit "$status"
