#!/usr/bin/env bash
# Saves that cannot succeed, and files that cannot be opened, with real input: a read-only file system, a full
# one, a folder removed under the picture, a hostile BMP and a file of noise. The original must stay as it was,
# the change stay marked, the failure be said, nothing be left behind, and the program go on working.
# Needs root for the mounts. Usage: save_failures_test.sh <Kolvex.exe>
set -euo pipefail
E2E_NAME=save_failures
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

exe=${1:?usage: $0 <Kolvex.exe>}
[[ $(id -u) -eq 0 ]] || fail "mounting the small and read-only file systems needs root"
shots="$E2E_OUT/$E2E_NAME"
rm -f "$E2E_OUT/$E2E_NAME.log" "$shots"-*.png
e2e_make_temp_dir
orig=$E2E_TMP/originals
mkdir -p "$orig"

# Originals. White at the top left, where the drag goes. The 1,000 x 1,000 pictures are about 41 KiB (an RLE8
# BMP of stripes, a PNG with a patch of noise) and come back from the program far larger (a 24-bit BMP of 3 MB,
# a PNG of about the same size as the original), so they cannot fit in the 64 KiB beside them.
convert -size 700x520 xc:white -fill '#0000ff' -draw 'rectangle 600,400 609,409' "BMP3:$orig/plain.bmp"
convert "$orig/plain.bmp" "PNG24:$orig/plain.png"
convert -size 64x20 xc:'#3060c0' -fill '#e0e040' -draw 'rectangle 0,0 31,9' -draw 'rectangle 32,10 63,19' \
    "$E2E_TMP/tile.png"
convert -size 1000x1000 xc:white \( -size 1000x550 "tile:$E2E_TMP/tile.png" \) -geometry +0+450 -composite \
    -type palette -compress RLE "BMP3:$orig/big.bmp"
convert -size 1000x1000 xc:white \( -seed 5 -size 160x70 xc:gray +noise Random \) -geometry +800+920 -composite \
    "PNG24:$orig/big.png"
for f in big.bmp big.png; do
    size=$(stat -c %s "$orig/$f")
    ((size > 36 * 1024 && size < 48 * 1024)) || fail "$f is $size bytes, not about 40 KiB"
done

# failed_save <label> <file> <original or ""> <folder>: Ctrl+S on the changed picture must show a message box
# while the file stays byte for byte the original (or absent) and the caption keeps " *"; after Return the program
# must still close normally.
failed_save() {
    local label=$1 file=$2 original=$3 folder=$4 box
    keys_to "$XID" ctrl+s
    box=$(message_box 10) || fail "$label: no message box after the failed save"
    screenshot "$shots-$label-message.png"
    wait_caption "$XID" "$(win_path "$file") * - Kolvex" 0 || fail "$label: the caption lost the change mark"
    if [[ -n $original ]]; then
        cmp -s "$file" "$original" || fail "$label: the original file changed"
    else
        [[ ! -e $file ]] || fail "$label: the save wrote $file"
    fi
    [[ -z $(temp_files_in "$folder") ]] || fail "$label: temporary files left: $(temp_files_in "$folder")"
    keys_to "$box" Return
    wait_window_gone '^Kolvex$' 10 || fail "$label: the message box did not close on Return"
    wait_caption "$XID" "$(win_path "$file") * - Kolvex" 0 || fail "$label: the caption lost the change mark"
    close_declining_save "$XID"
    echo "$label: the save failed with a message; original kept, change kept, nothing left behind"
}

# open_draw <label> <file>: opens the file from the command line and draws a rectangle on it with a real drag.
open_draw() {
    start_with_picture "$exe" "$shots-$1-open.png" "$2"
    ((OX >= 0)) || fail "$1: no white picture in the window (see $shots-$1-open.png)"
    [[ -n ${STATUS_AT_START:-} ]] || STATUS_AT_START=$(status_text_sig "$shots-$1-open.png")
    drag 1 $((OX + 100)) $((OY + 80)) $((OX + 260)) $((OY + 200)) 12
    wait_caption "$XID" "$(win_path "$2") * - Kolvex" 5 || fail "$1: the drag changed nothing"
}

# A read-only file system under the picture's folder, for each writer: as root Wine ignores read-only file bits.
ro=$E2E_TMP/ro
mkdir -p "$ro"
e2e_mount_small "$ro" 4096
cp "$orig/plain.bmp" "$orig/plain.png" "$ro/"
mount -o remount,ro "$ro" || fail "could not remount $ro read-only"
for f in plain.bmp plain.png; do
    open_draw "read-only-${f#*.}" "$ro/$f"
    failed_save "read-only-${f#*.}" "$ro/$f" "$orig/$f" "$ro"
done
e2e_unmount "$ro"

# A full file system: 64 KiB holding the 41 KiB original.
full=$E2E_TMP/full
mkdir -p "$full"
for f in big.bmp big.png; do
    e2e_mount_small "$full" 64
    cp "$orig/$f" "$full/"
    open_draw "full-${f#*.}" "$full/$f"
    failed_save "full-${f#*.}" "$full/$f" "$orig/$f" "$full"
    e2e_unmount "$full"
done

# The picture's folder removed while the picture is open.
gone=$E2E_TMP/gone
mkdir -p "$gone"
cp "$orig/plain.bmp" "$gone/"
open_draw gone "$gone/plain.bmp"
rm -rf "$gone"
failed_save gone "$gone/plain.bmp" "" "$E2E_TMP"
[[ ! -e $gone ]] || fail "gone: the save made the removed folder again"

# Files that cannot be opened: a "BM" header whose width would wrap the pixel count, and noise.
bad=$E2E_TMP/bad
mkdir -p "$bad"
printf 'BM\0\0\0\0\0\0\0\0\066\0\0\0\050\0\0\0\001\0\0\100\004\0\0\0\001\0\040\0' >"$bad/hostile.bmp"
head -c 34 /dev/zero >>"$bad/hostile.bmp"
convert -seed 3 -size 40x25 xc: +noise Random "rgb:$bad/noise.jpg"
cp "$bad/hostile.bmp" "$bad/noise.jpg" "$orig/"
for f in hostile.bmp noise.jpg; do
    open_refused "$exe" "$shots-bad-${f%.*}.png" "$bad/$f" "$STATUS_AT_START"
    cmp -s "$bad/$f" "$orig/$f" || fail "$f: the file changed"
    echo "$f: not opened; the program said so in the status bar and closed normally"
done
[[ -z $(temp_files_in "$E2E_TMP") ]] || fail "temporary files left: $(temp_files_in "$E2E_TMP")"
echo "PASS: every failed save kept the original and the change; bad files left the program working"
