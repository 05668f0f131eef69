#!/usr/bin/env bash
# The Text tool by real input on a picture from the command line: T shows "Fonts" at the main window + (80, 80),
# a drag opens the box, typed keys fill it, a click on B makes it bold, a click on the Pencil button commits it and
# hides "Fonts", Ctrl+S saves. The file must equal text_reference's drawing of the same text, pixel for pixel.
# Usage: text_tool_test.sh <Kolvex.exe>; text_reference lies next to it.
set -euo pipefail
E2E_NAME=text_tool
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

exe=${1:?usage: $0 <Kolvex.exe>}
dir=$(dirname "$exe")
reference="$dir/text_reference.exe"
[[ -f $reference ]] || fail "no text_reference next to $exe"
shots="$E2E_OUT/$E2E_NAME"
rm -f "$E2E_OUT/$E2E_NAME.log" "$shots"-*.png

# The pointer goes back where it was, so that no tooltip of the tool box waits for the next test.
eval "$(xdotool getmouselocation --shell)"
POINTER_X=$X POINTER_Y=$Y
restore_pointer() {
    local rc=$?
    xdotool mousemove "$POINTER_X" "$POINTER_Y" 2>/dev/null || true
    (exit "$rc")
    e2e_cleanup
}
trap restore_pointer EXIT

# The face the toolbar starts with: the first installed one of its preferred faces. The harness installs Tahoma.
face=
for f in "Arial" "Courier New" "Times New Roman" "Tahoma"; do
    if (cd "$dir" && wine "$reference" --has-face "$f") </dev/null; then
        face=$f
        break
    fi
done
[[ -n $face ]] || fail "none of Arial, Courier New, Times New Roman and Tahoma is installed in the prefix"
echo "the toolbar's face: $face"

e2e_make_temp_dir
file=$E2E_TMP/picture.bmp
convert -size 640x480 xc:white -fill '#b0d0f0' -draw 'rectangle 0,300 639,479' BMP3:"$file"
cp "$file" "$E2E_TMP/start.bmp"

start_with_picture "$exe" "$shots-1-start.png" "$file"
((OX >= 0)) || fail "the picture was not found on the screen (see $shots-1-start.png)"

keys_to "$XID" t
fonts=$(wait_for_window '^Fonts$' 10) || fail "no \"Fonts\" window after T"
read -r FX FY _ _ < <(window_geometry "$fonts") || fail "no geometry for \"Fonts\""
((FX - WX == 80 && FY - WY == 80)) || fail "\"Fonts\" is at the main window + ($((FX - WX)), $((FY - WY))), not + (80, 80)"

# The box from picture (100, 260) to (460, 360), over the white and the blue part.
drag 1 $((OX + 100)) $((OY + 260)) $((OX + 460)) $((OY + 360)) 8
text="Kolvex writes text"
xdotool type --delay 40 "$text"
# Wine 8 stacks the main window above the windows it owns whenever the focus moves inside it (here to the box's
# edit), where Windows keeps them above their owner; a window manager would raise "Fonts" again, so the test does.
xdotool windowraise "$fonts"
sleep 0.2
# B's centre: the tool window's 3-pixel frame and 16-pixel caption, then B at client (214, 5), 26 x 24.
xdotool mousemove $((FX + 3 + 227)) $((FY + 19 + 17))
sleep 0.1
xdotool click 1
sleep 0.2
screenshot "$shots-2-typed.png"
# The Pencil button (tool 6) in the tool box at the main window's client origin, 58 x 2 left of and above the
# picture.
xdotool mousemove $((OX - 58 + 15)) $((OY - 2 + 90))
sleep 0.1
xdotool click 1
gone=no
for ((i = 0; i < 50; i++)); do
    if ! xdotool search --onlyvisible --name '^Fonts$' >/dev/null 2>&1; then
        gone=yes
        break
    fi
    sleep 0.1
done
[[ $gone == yes ]] || fail "\"Fonts\" still shows after the Pencil was chosen"

before=$(file_state "$file")
keys_to "$XID" ctrl+s
wait_file_changed "$file" "$before" 10 || fail "Ctrl+S did not write $file"
wait_caption "$XID" "$(win_path "$file") - Kolvex" 10 || fail "the picture still counts as changed after Ctrl+S"
screenshot "$shots-3-saved.png"

# At zoom 1 the edit sits 3 pixels inside the box and its formatting rectangle is its whole client area.
printf '%s' "$text" >"$E2E_TMP/text.txt"
(cd "$dir" && wine "$reference" --picture "$(win_path "$E2E_TMP/start.bmp")" --out "$(win_path "$E2E_TMP/ref.bmp")" \
    --face "$face" --size 28 --bold --color ff0000 --background ffffff --mode transparent --box 100,260,460,360 \
    --target 103,263,457,357 --text-file "$(win_path "$E2E_TMP/text.txt")") </dev/null || fail "text_reference failed"
drawn=$(pixels_differ "$E2E_TMP/start.bmp" "$file")
differ=$(pixels_differ "$file" "$E2E_TMP/ref.bmp")
echo "$drawn pixels drawn, $differ different from the reference"
if [[ $differ != 0 ]]; then
    convert "$file" "$shots-saved.png"
    convert "$E2E_TMP/ref.bmp" "$shots-reference.png"
    fail "the saved picture differs from the reference in $differ pixels (see $shots-saved.png, $shots-reference.png)"
fi
[[ $drawn =~ ^[0-9]+$ ]] && ((drawn > 100)) || fail "the commit drew $drawn pixels"

close_unchanged "$XID"
echo "PASS: the typed bold text was saved exactly as the reference draws it"
