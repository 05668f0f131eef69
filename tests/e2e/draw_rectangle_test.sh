#!/usr/bin/env bash
# Draws a rectangle with the tool the program starts with, by a real drag, and finds its red outline in a
# screenshot where the drag put it: a 5-pixel pen centred on the box, white inside and around it.
# Usage: draw_rectangle_test.sh <Kolvex.exe>
set -euo pipefail
E2E_NAME=draw_rectangle
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

exe=${1:?usage: $0 <Kolvex.exe>}
shots="$E2E_OUT/$E2E_NAME"
rm -f "$E2E_OUT/$E2E_NAME.log" "$shots"-*.png

start_and_locate "$exe" "$shots-1-start.png"
echo "picture origin on screen: $OX,$OY"

# The drag from picture (100, 80) to (260, 200) gives the box 100..260 x 80..200, right and bottom
# exclusive, so the pen is centred on columns 100 and 259 and rows 80 and 199.
drag 1 $((OX + 100)) $((OY + 80)) $((OX + 260)) $((OY + 200)) 12
area="320x280+$((OX + 40))+$((OY + 20))"
shot=$shots-2-drawn.png
last=-1
for ((i = 0; i < 25; i++)); do
    screenshot "$shot"
    n=$(count_color "$shot" ff0000 "$area")
    ((n > 0 && n == last)) && break
    last=$n
    sleep 0.2
done
echo "$n red pixels"

# Each edge, at its middle, is red across the pen's width; inside and outside are white.
expect_colour "$shot" ff0000 "$OX" "$OY" "picture pixel on the outline" \
    "180 78" "180 80" "180 82" "180 197" "180 201" "98 140" "102 140" "257 140" "261 140"
expect_colour "$shot" ffffff "$OX" "$OY" "picture pixel off the outline" \
    "180 140" "180 86" "180 74" "92 140" "268 140" "180 208"
# Nothing red beyond the box and half the pen.
inside=$(count_color "$shot" ff0000 "169x129+$((OX + 96))+$((OY + 76))")
((inside == n)) || fail "$((n - inside)) red pixels outside the rectangle's outline"
# A 160 x 120 box outlined 5 pixels wide has about 2 x (160 + 120) x 5 red pixels.
((n > 2500 && n < 3100)) || fail "$n red pixels, expected about 2800 for the outline"

close_declining_save "$XID" "$shots-3-question.png"
echo "PASS: the rectangle's outline is where the drag put it"
