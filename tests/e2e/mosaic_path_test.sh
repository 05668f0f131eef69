#!/usr/bin/env bash
# The mosaic dialog and the path mosaic with real input on Kolvex.exe, checked by ImageMagick on a picture whose
# averages are exact: 645 x 483 one-pixel columns, even ones 0 and odd ones 254. Ctrl+Shift+M, "Custom:" 10 and
# OK clicked at their places in the dialog, Ctrl+S; then Shift+P, three clicks, Ctrl+M, Ctrl+S.
# Usage: mosaic_path_test.sh <Kolvex.exe>
set -euo pipefail
E2E_NAME=mosaic_path
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

exe=${1:?usage: $0 <Kolvex.exe>}
shots="$E2E_OUT/$E2E_NAME"
rm -f "$E2E_OUT/$E2E_NAME.log" "$shots"-*.png
e2e_make_temp_dir
dir=$E2E_TMP

columns() {
    convert -size 2x1 xc:black -fill 'rgb(254,254,254)' -draw 'point 1,0' -write mpr:tile +delete \
        -size 645x483 tile:mpr:tile "BMP3:$1"
}
same_pixels() { [[ $(pixels_differ "$1" "$2") == 0 ]]; }

# locate_columns <png>: sets OX OY, the screen position of picture pixel (0, 0): the first row of the main window
# where black and grey alternate for 600 pixels, black first (column 0 is even). Grey is looked for: the mask
# of black would count every other colour too.
locate_columns() {
    local mask found line offset
    mask=$(color_mask "$1" fefefe "${WW}x${WH}+${WX}+${WY}")
    found=$(grep -n -b -o -m1 -E '(01){300}' <<<"$mask") || fail "no picture of columns in the window (see $1)"
    line=${found%%:*}
    offset=${found#*:}
    offset=${offset%%:*}
    OY=$((WY + line - 1))
    OX=$((WX + offset - (line - 1) * (WW + 1)))
}

# click_in <xid> <client x> <client y>: a left click at a point of a dialog's client area. The client area starts
# below the caption, which is found as the run of the caption colour in the window's middle column.
click_in() {
    local dx dy dw dh shot y caption
    read -r dx dy dw dh < <(window_geometry "$1") || fail "no geometry for the dialog"
    shot="$shots-dialog.png"
    screenshot "$shot"
    caption=$(pixel_at "$shot" $((dx + dw / 2)) $((dy + 5)))
    for ((y = 5; y < 40; y++)); do
        [[ $(pixel_at "$shot" $((dx + dw / 2)) $((dy + y))) == "$caption" ]] || break
    done
    xdotool mousemove $((dx + 3 + $2)) $((dy + y + $3))
    sleep 0.1
    xdotool click 1
    sleep 0.1
}

# 1. The dialog: a custom size of 10 typed into its edit.
pic=$dir/columns.bmp
columns "$pic"
start_with_picture "$exe" "$shots-1-open.png" "$pic"
keys_to "$XID" ctrl+shift+m
dialog=$(wait_for_window '^Mosaic$' 10) || fail "Ctrl+Shift+M opened no mosaic dialog"
click_in "$dialog" $((22 + 20)) $((134 + 10)) # "Custom:"
click_in "$dialog" $((100 + 22)) $((134 + 11)) # its edit
xdotool key Home shift+End
xdotool type --delay 50 10
sleep 0.2
screenshot "$shots-2-typed.png"
click_in "$dialog" $((198 + 35)) $((18 + 11)) # OK
wait_window_gone '^Mosaic$' 5 || fail "OK did not close the dialog (see $shots-2-typed.png)"
wait_caption "$XID" "$(win_path "$pic") * - Kolvex" 5 || fail "OK changed nothing"
before=$(file_state "$pic")
keys_to "$XID" ctrl+s
wait_file_changed "$pic" "$before" 10 || fail "Ctrl+S did not save the mosaic"
# Blocks of 10 from the left: five 0 and five 254 make 127; the last five columns hold two 254: 101.
expected=$dir/expected.bmp
convert -size 640x483 xc:'rgb(127,127,127)' \( -size 5x483 xc:'rgb(101,101,101)' \) +append "BMP3:$expected"
same_pixels "$pic" "$expected" || fail "the saved mosaic differs in $(pixels_differ "$pic" "$expected") pixels"
echo "Dialog: custom 10 gives 127 grey and 101 in the last five columns, every pixel"
close_unchanged "$XID"

# 2. The path: three clicks, Ctrl+M with the block size of 8.
pic2=$dir/path.bmp
columns "$pic2"
cp "$pic2" "$dir/original.bmp"
start_with_picture "$exe" "$shots-3-open.png" "$pic2"
locate_columns "$shots-3-open.png"
keys_to "$XID" shift+p
for pt in "100 100" "300 120" "200 300"; do
    read -r x y <<<"$pt"
    xdotool mousemove $((OX + x)) $((OY + y))
    sleep 0.1
    xdotool click 1
    sleep 0.2
done
screenshot "$shots-4-path.png"
keys_to "$XID" ctrl+m
wait_caption "$XID" "$(win_path "$pic2") * - Kolvex" 5 || fail "Ctrl+M changed nothing (see $shots-4-path.png)"
before=$(file_state "$pic2")
keys_to "$XID" ctrl+s
wait_file_changed "$pic2" "$before" 10 || fail "Ctrl+S did not save the path mosaic"
# Outside the triangle's bounding box nothing changed; deep inside, every block of 8 averages to 127.
for strip in 100x483+0+0 344x483+301+0 645x100+0+0 645x182+0+301; do
    a=$(convert "$pic2" -crop "$strip" +repage rgb:- | md5sum)
    b=$(convert "$dir/original.bmp" -crop "$strip" +repage rgb:- | md5sum)
    [[ $a == "$b" ]] || fail "the mosaic reached outside the path's box, in $strip (see $pic2)"
done
inside=$(convert "$pic2" -crop 40x24+180+160 +repage -format "%[fx:round(minima*255)] %[fx:round(maxima*255)]" info:)
[[ $inside == "127 127" ]] || fail "deep inside the triangle the values are $inside, not 127 (see $pic2)"
[[ $(pixel_at "$pic2" 100 299) == 000000 ]] || fail "a pixel outside the triangle but in its box changed"
echo "Path: the triangle is mosaicked, everything outside its box is as it was"
close_unchanged "$XID"
echo "PASS: the mosaic dialog and the path mosaic with real input"
