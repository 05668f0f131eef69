#!/usr/bin/env bash
# Starts Kolvex.exe, finds the blank picture where the layout puts it, rests the pointer on a tool button
# until its tooltip shows, draws on the picture with real left and right drags and closes the program with
# Alt+F4, declining to save.
# Usage: start_draw_close_test.sh <Kolvex.exe>
set -euo pipefail
E2E_NAME=start_draw_close
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

exe=${1:?usage: $0 <Kolvex.exe>}
shots="$E2E_OUT/$E2E_NAME"
rm -f "$E2E_OUT/$E2E_NAME.log" "$shots"-*.png

# Layout of the main window: picture at client (58,2) (canvas at 56 plus its 2-pixel sunken edge),
# 640 wide, at least this many rows visible above the colour box and status bar.
PIC_CLIENT_X=58
PIC_CLIENT_Y=2
PIC_W=640
PIC_MIN_VISIBLE_H=400

kolvex_start "$exe"
xid=$(wait_for_window ' - Kolvex$' 30) || fail "main window did not appear"
title=$(xdotool getwindowname "$xid")
[[ $title == "Untitled - Kolvex" ]] || fail "caption is '$title', expected 'Untitled - Kolvex'"

read -r wx wy ww wh < <(window_geometry "$xid") || fail "no geometry for window $xid"
echo "main window $xid at $wx,$wy size ${ww}x$wh"
[[ $ww -eq 800 && $wh -eq 600 ]] || fail "outer size ${ww}x$wh, expected 800x600"

wait_screen_stable "$shots-1-start.png" 10 || fail "the window did not finish painting"

read -r px py run < <(locate_picture "$shots-1-start.png" "$wx" "$wy" "$ww" "$wh")
[[ $px -ge 0 ]] || fail "no white picture in the window (see $shots-1-start.png)"
echo "picture at window $px,$py, first row $run px white"
[[ $run -eq $PIC_W ]] || fail "picture's top row is $run px white, expected $PIC_W"

# The frame is Windows' sizing border; with a menu bar or not, the caption is above the client area.
border=$((px - PIC_CLIENT_X))
top=$((py - PIC_CLIENT_Y))
((border >= 1 && border <= 10)) || fail "picture $px px from the window's left edge: not at client x $PIC_CLIENT_X"
((top >= border + 15 && top <= border + 70)) || fail "picture $py px below the window's top: not at client y $PIC_CLIENT_Y"

# Screen position of picture pixel (0,0).
ox=$((wx + px))
oy=$((wy + py))
shot=$shots-1-start.png
[[ $(pixel_at "$shot" $((ox + PIC_W)) $((oy + 10))) == 000000 ]] || fail "no black frame right of the picture"
[[ $(pixel_at "$shot" $((ox + PIC_W + 1)) $((oy + 10))) == 808080 ]] || fail "no grey right of the picture's frame"
expect_colour "$shot" ffffff "$ox" "$oy" "picture pixel" \
    "0 0" "639 0" "320 200" "0 $((PIC_MIN_VISIBLE_H - 1))" "639 $((PIC_MIN_VISIBLE_H - 1))"
visible="${PIC_W}x$PIC_MIN_VISIBLE_H+$ox+$oy"
[[ $(count_color "$shot" ffffff "$visible") -eq $((PIC_W * PIC_MIN_VISIBLE_H)) ]] ||
    fail "the top $PIC_MIN_VISIBLE_H rows of the new picture are not all white"

# Columns of the path (100,100)-(300,150): each column x has its red pixel within 2 rows of the
# ideal line. Prints the number of columns of [from,to] that do.
path_columns_red() {
    color_mask "$1" ff0000 "${PIC_W}x$PIC_MIN_VISIBLE_H+$ox+$oy" | awk -v from="$2" -v to="$3" '
        { for (x = from; x <= to; x++) if (substr($0, x + 1, 1) == "1") {
              ideal = 100 + (x - 100) / 4; if (NR - 1 >= ideal - 2 && NR - 1 <= ideal + 2) hit[x] = 1 } }
        END { n = 0; for (x = from; x <= to; x++) n += hit[x]; print n }'
}

# Waits until the red count is the same in two screenshots in a row: the drag has been painted.
wait_red_settled() {
    local out=$1 last=-1 n i
    for ((i = 0; i < 25; i++)); do
        screenshot "$out"
        n=$(count_color "$out" ff0000 "$visible")
        [[ $n -eq $last && $n -gt 0 ]] && { echo "$n"; return 0; }
        last=$n
        sleep 0.2
    done
    echo "$last"
}

# The program starts with the Rectangle tool: choose the pencil with its tool box button, the fourth row
# of the left column (tool box client 15, 90; the picture's origin is at main-window client 58, 2).
xdotool mousemove $((ox - 43)) $((oy + 88))
# Resting there shows the button's tooltip (built at the pointer's first move over the tool box) below the
# pointer, over the tool box; the click then hides it.
under="56x20+$((ox - 58))+$((oy + 108))"
convert "$shots-1-start.png" -crop "$under" +repage "$shots-2-under-before.png"
tip=0
for ((i = 0; i < 15 && tip < 150; i++)); do
    sleep 0.2
    screenshot "$shots-2-tooltip.png"
    convert "$shots-2-tooltip.png" -crop "$under" +repage "$shots-2-under-tooltip.png"
    tip=$(pixels_differ "$shots-2-under-before.png" "$shots-2-under-tooltip.png")
done
echo "tooltip: $tip pixels changed below the resting pointer"
((tip >= 150)) || fail "no tooltip under the resting pointer (see $shots-2-tooltip.png)"
xdotool click 1
sleep 0.2
drag 1 $((ox + 100)) $((oy + 100)) $((ox + 300)) $((oy + 150)) 20
red=$(wait_red_settled "$shots-2-drawn.png")
shot=$shots-2-drawn.png
echo "after the left drag: $red red pixels"
[[ $(pixel_at "$shot" $((ox + 100)) $((oy + 100))) == ff0000 ]] || fail "the press point is not red"
cols=$(path_columns_red "$shot" 100 299)
((cols == 200)) || fail "only $cols of 200 columns of the path are red near the line"
# A 1-pixel line from (100,100) to (300,150) has 201 pixels; a wider pen or stray dots show as more.
((red >= 200 && red <= 215)) || fail "$red red pixels, expected a 1-pixel line of about 201"
[[ $(count_color "$shot" ff0000 "201x51+$((ox + 100))+$((oy + 100))") -eq $red ]] ||
    fail "red pixels outside the dragged band"
expect_colour "$shot" ffffff "$ox" "$oy" "picture pixel off the path" "100 150" "300 100" "200 140"

# The right button paints the background colour: retracing the first half removes it.
drag 3 $((ox + 100)) $((oy + 100)) $((ox + 200)) $((oy + 125)) 10
screenshot "$shots-3-erased.png"
for ((i = 0; i < 25; i++)); do
    (($(path_columns_red "$shots-3-erased.png" 100 199) == 0)) && break
    sleep 0.2
    screenshot "$shots-3-erased.png"
done
shot=$shots-3-erased.png
left=$(path_columns_red "$shot" 100 199)
right=$(path_columns_red "$shot" 202 299)
echo "after the right drag: $left red columns in the retraced half, $right in the other"
((left == 0)) || fail "the right drag left $left columns of the retraced half red"
((right == 98)) || fail "the right drag changed the other half ($right of 98 columns red)"

# Alt+F4 goes to Wine's foreground window, which the clicks above made the main window. The picture
# has changed, so the program asks whether to save it; "No" closes without writing anything.
close_declining_save "$xid" "$shots-4-question.png"
echo "PASS: started, drew, erased, closed with exit code 0 (screenshots in $E2E_OUT)"
