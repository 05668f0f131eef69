#!/usr/bin/env bash
# The File commands with real input: a picture opened from the command line, drawn on with a real drag and saved
# with Ctrl+S is read back by ImageMagick; Save As goes through the real common dialog; the question on closing
# a changed picture is answered Cancel, No and Yes (titled, then untitled).
# Usage: file_commands_test.sh <Kolvex.exe>
set -euo pipefail
E2E_NAME=file_commands
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

exe=${1:?usage: $0 <Kolvex.exe>}
shots="$E2E_OUT/$E2E_NAME"
rm -f "$E2E_OUT/$E2E_NAME.log" "$shots"-*.png
e2e_make_temp_dir
dir=$E2E_TMP

# White with a blue 10 x 10 block, which every save must keep.
pic=$dir/pic.bmp
convert -size 700x520 xc:white -fill '#0000ff' -draw 'rectangle 600,400 609,409' "BMP3:$pic"

# draw_box <x> <y>: a rectangle drag from picture (x, y) to (x + 160, y + 120) with the tool the program starts
# with; waits for the caption to show the change.
draw_box() {
    drag 1 $((OX + $1)) $((OY + $2)) $((OX + $1 + 160)) $((OY + $2 + 120)) 12
    wait_caption "$XID" "$CAPTION_NAME * - Kolvex" 5 || fail "the drag at $1,$2 changed nothing"
}

# box_in_file <file> <x> <y>: the red outline of draw_box, a 5-pixel pen centred on the box's edges, is in the
# file where the drag put it, with white inside and around it, and the blue block kept.
box_in_file() {
    local file=$1 x=$2 y=$3
    expect_colour "$file" ff0000 "$x" "$y" "outline pixel (from the box's corner)" \
        "80 0" "80 -2" "80 2" "80 119" "0 60" "-2 60" "159 60" "161 60"
    expect_colour "$file" ffffff "$x" "$y" "pixel off the outline (from the box's corner)" \
        "80 60" "80 6" "80 -6" "-8 60" "168 60" "80 128"
    [[ $(pixel_at "$file" 605 405) == 0000ff ]] || fail "$file: the blue block is gone"
}

# Open from the command line, draw, Ctrl+S.
start_with_picture "$exe" "$shots-1-open.png" "$pic"
((OX >= 0)) || fail "no white picture in the window (see $shots-1-open.png)"
CAPTION_NAME=$(win_path "$pic")
draw_box 100 80
before=$(file_state "$pic")
keys_to "$XID" ctrl+s
wait_file_changed "$pic" "$before" 10 || fail "Ctrl+S did not write $pic within 10 s"
wait_caption "$XID" "$CAPTION_NAME - Kolvex" 5 || fail "the caption still shows a change after Ctrl+S"
[[ $(bmp_layout "$pic") == "40 24 0" && $(identify -format '%wx%h' "$pic") == 700x520 ]] ||
    fail "Ctrl+S wrote '$(bmp_layout "$pic")' $(identify -format '%wx%h' "$pic"), not the 24-bit 700 x 520 picture"
box_in_file "$pic" 100 80
red=$(count_color "$pic" ff0000 700x520+0+0)
# A 160 x 120 box outlined 5 pixels wide has about 2 x (160 + 120) x 5 red pixels, all near the box.
((red > 2500 && red < 3100)) || fail "$red red pixels in the saved file, expected about 2800"
(($(count_color "$pic" ff0000 169x129+96+76) == red)) || fail "red pixels in the saved file away from the box"
echo "Ctrl+S: $red red pixels of the drawn box in the file"

# Save As through the real dialog, to a PNG.
copy=$dir/copy.png
keys_to "$XID" ctrl+shift+s
dialog=$(wait_for_window '^Save As$' 10) || fail "Ctrl+Shift+S showed no Save As dialog"
xdotool windowfocus "$dialog" 2>/dev/null || true
xdotool type --delay 15 "$(win_path "$copy")"
xdotool key Return
wait_file_changed "$copy" missing 10 || fail "Save As wrote no $copy"
CAPTION_NAME=$(win_path "$copy")
wait_caption "$XID" "$CAPTION_NAME - Kolvex" 5 || fail "the caption does not show the new name"
[[ $(identify -format '%m' "$copy") == PNG ]] || fail "Save As to .png wrote $(identify -format '%m' "$copy")"
[[ $(pixels_differ "$copy" "$pic") == 0 ]] || fail "the PNG from Save As is not the picture saved before"
echo "Save As: $(identify -format '%m %wx%h' "$copy"), caption names it"

# F12 opens Save As as well; cancelling it writes nothing and keeps the name.
keys_to "$XID" F12
dialog=$(wait_for_window '^Save As$' 10) || fail "F12 showed no Save As dialog"
keys_to "$dialog" Escape
wait_window_gone '^Save As$' 10 || fail "the Save As dialog did not close on Escape"
wait_caption "$XID" "$CAPTION_NAME - Kolvex" 0 || fail "cancelling Save As changed the caption"
[[ $(find "$dir" -type f | wc -l) == 2 ]] || fail "cancelling Save As left a file: $(ls "$dir")"

# Closing a changed picture: Cancel keeps the program and the change, No ends it without writing.
draw_box 300 250
kept=$dir/kept.png
cp "$copy" "$kept"
saved=$(file_state "$copy")
keys_to "$XID" alt+F4
answer_message_box Escape
wait_window_gone '^Kolvex$' 10 || fail "the question did not close on Cancel"
kill -0 "$KOLVEX_PID" 2>/dev/null || fail "Cancel ended the program"
wait_caption "$XID" "$CAPTION_NAME * - Kolvex" 0 || fail "Cancel dropped the change"
close_declining_save "$XID" "$shots-2-question.png"
[[ $(file_state "$copy") == "$saved" ]] && cmp -s "$copy" "$kept" || fail "No wrote the file"
echo "close: Cancel kept the program and the change, No exited without writing"

# Yes on a titled picture saves it, then the program ends.
start_with_picture "$exe" "$shots-3-reopen.png" "$copy"
((OX >= 0)) || fail "no white picture in the window (see $shots-3-reopen.png)"
draw_box 300 250
keys_to "$XID" alt+F4
answer_message_box y
rc=0
wait_exit "$KOLVEX_PID" 10 || rc=$?
((rc == 0)) || fail "Yes on a titled picture: the program did not exit cleanly (code $rc)"
[[ $(file_state "$copy") != "$saved" ]] || fail "Yes did not save $copy"
[[ $(identify -format '%m' "$copy") == PNG ]] || fail "Yes saved $copy as $(identify -format '%m' "$copy")"
box_in_file "$copy" 100 80
box_in_file "$copy" 300 250
echo "close: Yes saved the titled picture with both boxes and exited"

# Yes on an untitled picture asks for a name first.
start_and_locate "$exe" "$shots-4-untitled.png"
CAPTION_NAME=Untitled
draw_box 100 80
keys_to "$XID" alt+F4
answer_message_box y
dialog=$(wait_for_window '^Save As$' 10) || fail "Yes on an untitled picture showed no Save As dialog"
new=$dir/new.bmp
xdotool windowfocus "$dialog" 2>/dev/null || true
xdotool type --delay 15 "$(win_path "$new")"
xdotool key Return
rc=0
wait_exit "$KOLVEX_PID" 10 || rc=$?
((rc == 0)) || fail "Yes on an untitled picture: the program did not exit cleanly after Save As (code $rc)"
[[ -f $new && $(bmp_layout "$new") == "40 24 0" && $(identify -format '%wx%h' "$new") == 640x480 ]] ||
    fail "Save As from the question did not write the 640 x 480 BMP $new"
[[ $(pixel_at "$new" 180 80) == ff0000 && $(pixel_at "$new" 180 140) == ffffff ]] ||
    fail "the BMP written on closing does not hold the drawn box"
[[ -z $(temp_files_in "$dir") ]] || fail "temporary files left: $(temp_files_in "$dir")"
echo "PASS: Ctrl+S, Save As through the dialog and every answer to the closing question did what they say"
