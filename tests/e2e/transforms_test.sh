#!/usr/bin/env bash
# The Image menu's transformations with real keys on Kolvex.exe, checked by a program nobody here wrote: an
# asymmetric picture opened from the command line is turned in the Flip and Rotate dialog, inverted, resized to
# 200 % and given new attributes, then saved; ImageMagick builds the expected picture on its own. Clear Image
# then leaves it white.
# Usage: transforms_test.sh <Kolvex.exe>
set -euo pipefail
E2E_NAME=transforms
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

exe=${1:?usage: $0 <Kolvex.exe>}
shots="$E2E_OUT/$E2E_NAME"
rm -f "$E2E_OUT/$E2E_NAME.log" "$shots"-*.png
e2e_make_temp_dir
dir=$E2E_TMP

# No two halves alike: a gradient with a green block at the top left and a black one lower right.
pic=$dir/pic.bmp
convert -size 60x40 gradient:'#ff8000-#2040c0' -fill '#00ff00' -draw 'rectangle 0,0 9,4' \
    -fill '#000000' -draw 'rectangle 40,30 44,37' "BMP3:$pic"
original=$dir/original.bmp
cp "$pic" "$original"
width=100 height=110 # wider than the 80 x 120 of the turned, doubled picture, and lower

start_with_picture "$exe" "$shots-1-open.png" "$pic"

# dialog <caption> <keys>...: waits for the dialog, gives it the keys and waits until it has gone.
dialog() {
    local caption=$1 xid
    shift
    xid=$(wait_for_window "^$caption\$" 10) || fail "no \"$caption\" dialog"
    keys_to "$xid" "$@"
}
dialog_done() {
    wait_window_gone "^$1\$" 10 || fail "the \"$1\" dialog did not close"
}
type_into() {
    xdotool type --delay 40 "$1"
}

keys_to "$XID" ctrl+r
dialog "Flip and Rotate" Down Down Return
dialog_done "Flip and Rotate"
keys_to "$XID" ctrl+i
keys_to "$XID" ctrl+w
dialog "Resize and Skew" Home shift+End
type_into 200
xdotool key Return
dialog_done "Resize and Skew"
keys_to "$XID" ctrl+e
dialog "Attributes" Home shift+End
type_into "$width"
xdotool key Tab
xdotool key Home shift+End
type_into "$height"
xdotool key Return
dialog_done "Attributes"
screenshot "$shots-2-transformed.png"

before=$(file_state "$pic")
keys_to "$XID" ctrl+s
wait_file_changed "$pic" "$before" 10 || fail "Ctrl+S did not save the picture"
expected=$dir/expected.bmp
convert "$original" -rotate -90 -negate -sample 200% -background white -extent "${width}x$height" "BMP3:$expected"
diff=$(pixels_differ "$pic" "$expected")
[[ $diff == 0 ]] || fail "the saved picture differs from ImageMagick's in $diff pixels (see $pic, $expected)"
echo "the saved picture equals ImageMagick's rotate -90, negate, sample 200 %, extent ${width}x$height"

# Ctrl+Shift+N clears the whole picture to Color 2, white here.
keys_to "$XID" ctrl+shift+n
before=$(file_state "$pic")
keys_to "$XID" ctrl+s
wait_file_changed "$pic" "$before" 10 || fail "Ctrl+S did not save the cleared picture"
[[ $(convert "$pic" -format '%wx%h %k %[hex:p{0,0}]' info:) == "${width}x$height 1 FFFFFF" ]] ||
    fail "Ctrl+Shift+N did not leave a white ${width}x$height picture (see $pic)"
echo "Ctrl+Shift+N: the saved picture is all white"

close_unchanged "$XID"
echo "PASS: Flip and Rotate, Invert, Resize, Attributes and Clear Image with real keys give ImageMagick's picture"
