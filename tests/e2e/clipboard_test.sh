#!/usr/bin/env bash
# The clipboard and a selection move with real input on Kolvex.exe, checked by programs nobody here wrote:
# Ctrl+A, Ctrl+C, then xclip reads the picture; xclip offers a larger one, Ctrl+V, Esc, Ctrl+S saves it; an
# image/png offer and a damaged block paste nothing; a real drag moves a selection, ImageMagick checks the file.
# Usage: clipboard_test.sh <Kolvex.exe>
set -euo pipefail
E2E_NAME=clipboard
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

exe=${1:?usage: $0 <Kolvex.exe>}
helper=$(dirname "$exe")/kolvex_clipboard_helper.exe
shots="$E2E_OUT/$E2E_NAME"
rm -f "$E2E_OUT/$E2E_NAME.log" "$shots"-*.png
e2e_make_temp_dir
dir=$E2E_TMP
XCLIP_PID=
stop_xclip() {
    [[ -z $XCLIP_PID ]] || kill "$XCLIP_PID" 2>/dev/null || true
    [[ -z $XCLIP_PID ]] || wait "$XCLIP_PID" 2>/dev/null || true
    XCLIP_PID=
}
trap 'stop_xclip; e2e_cleanup' EXIT

# White on top (so the picture can be found on the screen), then a block no two halves of which are alike.
pic=$dir/pic.bmp
convert -size 640x480 xc:white \( -size 200x150 gradient:'#ff0000-#0000ff' \) -geometry +100+150 -composite \
    -fill '#00ff00' -draw 'rectangle 100,150 119,169' -fill '#000000' -draw 'rectangle 280,280 299,299' "BMP3:$pic"
same_pixels() { [[ $(compare -metric AE "$1" "$2" null: 2>&1 || true) == 0 ]]; }

start_with_picture "$exe" "$shots-1-open.png" "$pic"
((OX >= 0)) || fail "no picture on the screen (see $shots-1-open.png)"

# Copy: what an X program reads is the whole picture, pixel for pixel.
keys_to "$XID" ctrl+a
keys_to "$XID" ctrl+c
out=$dir/copied.bmp
for ((i = 0; i < 40; i++)); do
    xclip -selection clipboard -t image/bmp -o >"$out" 2>/dev/null && same_pixels "$out" "$pic" && break
    sleep 0.1
done
same_pixels "$out" "$pic" || fail "xclip reads another picture than the copied one (see $out)"
echo "Copy: xclip reads the picture exactly"

# A move with the Select tool: part of the block moved 250 right and 50 down, its hole white (Color 2).
keys_to "$XID" Escape s
drag 1 $((OX + 100)) $((OY + 150)) $((OX + 200)) $((OY + 250)) 6
drag 1 $((OX + 150)) $((OY + 200)) $((OX + 400)) $((OY + 250)) 10
keys_to "$XID" Escape
before=$(file_state "$pic")
keys_to "$XID" ctrl+s
wait_file_changed "$pic" "$before" 10 || fail "Ctrl+S did not save the moved selection"
expected=$dir/moved.bmp
convert "$dir/copied.bmp" -fill white -draw 'rectangle 100,150 199,249' \
    \( "$dir/copied.bmp" -crop 100x100+100+150 +repage \) -geometry +350+200 -composite "BMP3:$expected"
same_pixels "$pic" "$expected" || fail "the moved selection is not where the drag put it (see $pic)"
echo "Move: the file holds the selection where the drag put it"

# Paste of a larger picture offered by an X program: the picture grows to it, Esc stamps it, Ctrl+S saves it.
big=$dir/big.bmp
convert -size 700x560 gradient:'#102030-#f0e0d0' -fill '#ff00ff' -draw 'rectangle 0,0 9,9' "BMP3:$big"
xclip -quiet -selection clipboard -t image/bmp -i "$big" >/dev/null 2>&1 &
XCLIP_PID=$!
seen=0
for ((i = 0; i < 30; i++)); do
    (cd "$(dirname "$helper")" && timeout 10 wine "$helper" dump "$(win_path "$dir/dump.bin")") >/dev/null 2>&1 || true
    if [[ -f $dir/dump.bin ]] && (($(stat -c %s "$dir/dump.bin") > 700 * 560 * 3)); then
        seen=1
        break
    fi
    sleep 0.2
done
((seen)) || fail "the X program's picture never reached the Wine clipboard"
keys_to "$XID" ctrl+v
keys_to "$XID" Escape
before=$(file_state "$pic")
keys_to "$XID" ctrl+s
wait_file_changed "$pic" "$before" 10 || fail "Ctrl+S did not save the pasted picture"
same_pixels "$pic" "$big" || fail "the saved picture differs from the pasted one (see $pic)"
echo "Paste: the file equals the X program's picture"
stop_xclip

# An image/png offer has no picture format the program reads: nothing is pasted, nothing changes.
convert -size 50x50 xc:'#123456' "$dir/offer.png"
xclip -quiet -selection clipboard -t image/png -i "$dir/offer.png" >/dev/null 2>&1 &
XCLIP_PID=$!
sleep 2
keys_to "$XID" ctrl+v
sleep 0.5
wait_caption "$XID" "$(win_path "$pic") - Kolvex" 2 || fail "an image/png offer changed the picture"
stop_xclip

# A damaged block from a Wine program: refused, the program lives on, the picture unchanged.
(cd "$(dirname "$helper")" && exec wine "$helper" put claim10000) >/dev/null 2>&1 &
helper_pid=$!
sleep 1.5
keys_to "$XID" ctrl+v
sleep 0.5
kill -0 "$KOLVEX_PID" || fail "the program ended on a damaged clipboard block"
wait_caption "$XID" "$(win_path "$pic") - Kolvex" 2 || fail "a damaged block changed the picture"
kill "$helper_pid" 2>/dev/null || true
wait "$helper_pid" 2>/dev/null || true

keys_to "$XID" alt+F4
rc=0
wait_exit "$KOLVEX_PID" 10 || rc=$?
((rc == 0)) || fail "the program did not close cleanly (code $rc)"
echo "PASS: copy, move, paste and refused offers behave with real input"
