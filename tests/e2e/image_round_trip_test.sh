#!/usr/bin/env bash
# Pictures written by ImageMagick in each BMP variant and as PNG, JPEG and GIF, and an RLE4 file written here,
# are opened by Kolvex.exe from the command line, saved again with Ctrl+S, and compared with the originals as
# ImageMagick and Pillow decode them. Then the same with GDI+ disabled for the program, where only its own BMP
# reader is left, and the window tests of that mode.
# Usage: image_round_trip_test.sh <Kolvex.exe>; the window tests program lies next to it.
set -euo pipefail
E2E_NAME=image_round_trip
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

exe=${1:?usage: $0 <Kolvex.exe>}
tests_exe="$(dirname "$exe")/kolvex_window_tests.exe"
[[ -f $tests_exe ]] || fail "no window tests program at $tests_exe"
shots="$E2E_OUT/$E2E_NAME"
rm -f "$E2E_OUT/$E2E_NAME.log" "$shots"-*.png
e2e_make_temp_dir
src=$E2E_TMP/src
mkdir -p "$src"

# The program without GDI+: LoadLibrary("gdiplus.dll") fails for it alone.
declare -A OVERRIDES=([gdiplus]=$WINEDLLOVERRIDES [own]="$WINEDLLOVERRIDES;gdiplus=d")

# A JPEG saved again is encoded a second time, by GDI+ at its default quality (76 under Wine, 4:2:0). On the
# smooth picture below that measured 35.8 dB against the original; ImageMagick encoding the original again with
# those settings 34.4 dB. The original shifted by one pixel scores 18 to 20 dB, flipped 9 dB, with red and blue
# swapped 11 dB.
JPEG_MIN_PSNR=30

# make_picture <name> <awk statements setting r g b from x y>: a 37 x 23 PNG, so that rows of every depth
# need padding.
make_picture() {
    awk -v w=37 -v h=23 "BEGIN {
        print \"# ImageMagick pixel enumeration: \" w \",\" h \",255,srgb\"
        for (y = 0; y < h; y++) for (x = 0; x < w; x++) { $2; printf \"%d,%d: (%d,%d,%d)\\n\", x, y, r, g, b } }" |
        convert txt:- "$src/$1.png"
}
# 851 colours, a gradient with a pattern in blue.
make_picture true 'r = int(x * 255 / 36); g = int(y * 255 / 22); b = (x * y * 7) % 256'
# Smooth, as photographs are: JPEG's home ground.
make_picture smooth 'r = int(x * 255 / 36); g = int(y * 255 / 22); b = int(128 + 100 * sin(x / 5) * cos(y / 4))'
# 108 colours from 5-bit levels that every 16-bit decoder here widens alike to 8 bits. The program's own
# c x 255 / 31 and the bit copy c << 3 | c >> 2 of the others disagree on some levels (4 gives 32 or 33), not on
# 0 3 10 18 27 31; Wine's GDI+ copies the low bits of green from c >> 1, which agrees only on 0 1 31. ImageMagick
# writes the 8-bit value v as v x 31 / 255 rounded down.
make_picture levels 'split("0 25 83 149 223 255", L, " "); split("0 9 255", G, " ")
    r = L[x % 6 + 1]; g = G[y % 3 + 1]; b = L[int(x / 6) % 6 + 1]'

# Pillow widens short channels as the program does, c x 255 / (2^n - 1); ImageMagick copies the top bits down, so
# it is no reference for 5- and 6-bit channels. Pillow comes with the system's python3.
PYTHON=
for p in python3 /usr/bin/python3; do
    if "$p" -c 'import PIL' 2>/dev/null; then PYTHON=$p && break; fi
done
[[ -n $PYTHON ]] || fail "no python3 with Pillow (python3-pil)"

# name | file | picture | ImageMagick output options | BMP layout | with GDI+ | without GDI+
# exact: the saved file shows the same pixels as ImageMagick reads from the original; pillow: as Pillow reads from
# it; both: both; psnr: at least JPEG_MIN_PSNR; refused: does not open. Both modes read BMP with the program's own
# reader; GDI+ gets only what that reader hands on.
cases=(
    "1-bit      |v1.bmp    |true  |+dither -colors 2 -compress none BMP3:          |40 1 0   |exact|exact"
    "4-bit      |v4.bmp    |true  |+dither -colors 16 -compress none BMP3:         |40 4 0   |exact|exact"
    "8-bit      |v8.bmp    |true  |+dither -colors 200 -compress none BMP3:        |40 8 0   |exact|exact"
    "16-bit 555 |v16.bmp   |levels|-type truecolor -define bmp:subtype=RGB555 BMP3: |40 16 0  |exact|exact"
    "24-bit     |v24.bmp   |true  |-type truecolor BMP3:                           |40 24 0  |exact|exact"
    "32-bit     |v32.bmp   |true  |-alpha set -define bmp3:alpha=true BMP3:        |40 32 0  |exact|exact"
    "core header|os2.bmp   |true  |+dither -colors 200 BMP2:                       |12 8 0   |exact|exact"
    "108 header |v108.bmp  |true  |-type truecolor -intent undefined BMP:          |108 24 0 |exact|exact"
    "124 header |v124.bmp  |true  |+dither -colors 200 -compress none BMP:         |124 8 0  |exact|exact"
    "RLE8       |rle8.bmp  |true  |+dither -colors 200 -compress RLE BMP3:         |40 8 1   |both |both"
    "RLE4       |rle4.bmp  |true  |(from v4.bmp, below)                            |40 4 2   |both |both"
    "bitfields  |bf565.bmp |true  |-type truecolor -define bmp:subtype=RGB565 BMP:  |124 16 3 |pillow|pillow"
    "bitfields32|bf32.bmp  |true  |-type TrueColorAlpha BMP:                        |124 32 3 |both |both"
    "bad palette|badpal.bmp|true  |(from v8.bmp, below)                            |40 8 0   |refused|refused"
    "PNG        |p.png     |true  |-type truecolor PNG24:                           |         |exact|refused"
    "JPEG       |j.jpg     |smooth|-quality 90 JPEG:                               |         |psnr |refused"
    "GIF        |g.gif     |true  |+dither -colors 200 GIF:                         |         |exact|refused"
)

trim() {
    local s=$1
    s=${s#"${s%%[![:space:]]*}"}
    echo "${s%"${s##*[![:space:]]}"}"
}

# ImageMagick writes 16-bit rows only with bit fields, and in the 40-byte header without the masks that must
# follow it. The masks it means are 5-5-5, which is what BI_RGB means for 16 bits: clearing the compression
# makes the plain 5-5-5 file. ImageMagick must read it as the same picture as its own 5-5-5 bit-field file.
make_plain_555() {
    printf '\0\0\0\0' | dd of="$1" bs=1 seek=30 conv=notrunc status=none
    convert "$src/levels.png" -type truecolor -define bmp:subtype=RGB555 "BMP:$src/check555.bmp"
    [[ $(pixels_differ "$1" "$src/check555.bmp") == 0 ]] || fail "the 5-5-5 original is not the 5-5-5 picture"
}

# ImageMagick never writes RLE4: the 16-colour picture is encoded here, bottom row first, in runs, even absolute
# runs and ends of line where the rest of a row is index 0, made the most common colour of the right edge. Odd
# absolute runs and deltas are not written, as Pillow 9 misreads both (the program's reading of them is a unit test).
make_rle4() {
    "$PYTHON" - "$src/v4.bmp" "$1" <<'PY'
import struct, sys
from collections import Counter
from PIL import Image
im = Image.open(sys.argv[1])
w, h = im.size
px = list(im.getdata())
pal = im.getpalette()[:48]
top = Counter(px[y * w + w - 1] for y in range(h)).most_common(1)[0][0]
swap = {0: top, top: 0}
px = [swap.get(p, p) for p in px]
order = [swap.get(i, i) for i in range(16)]
table = b"".join(bytes((pal[3 * i + 2], pal[3 * i + 1], pal[3 * i], 0)) for i in order)
out = bytearray()
for y in range(h - 1, -1, -1):
    row = px[y * w:(y + 1) * w]
    x = 0
    while x < w:
        if x > 0 and not any(row[x:]):
            break  # end of line: the rest of the row is index 0
        same = 1
        while x + same < w and same < 255 and row[x + same] == row[x]:
            same += 1
        if same >= 3 or w - x < 4:
            n = same if same >= 3 else 1
            out += bytes((n, row[x] << 4 | row[x]))
            x += n
            continue
        n = 4
        while x + n + 2 <= w and n < 254 and row[x + n] != row[x + n + 1]:
            n += 2
        data = bytes(row[x + i] << 4 | row[x + i + 1] for i in range(0, n, 2))
        out += bytes((0, n)) + data + bytes(len(data) % 2)
        x += n
    out += bytes((0, 0)) if y else bytes((0, 1))
offset = 14 + 40 + len(table)
header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 4, 2, len(out), 0, 0, 16, 0)
open(sys.argv[2], "wb").write(b"BM" + struct.pack("<IHHI", offset + len(out), 0, 0, offset) + header + table + out)
PY
}

# pillow_differ <a> <b>: how many pixels Pillow reads differently from the two files, red, green and blue.
pillow_differ() {
    "$PYTHON" - "$1" "$2" <<'PY'
import sys
from PIL import Image
a, b = (Image.open(f).convert("RGB") for f in sys.argv[1:3])
print(sum(p != q for p, q in zip(a.getdata(), b.getdata())) if a.size == b.size else f"sizes {a.size} {b.size}")
PY
}

# The originals, each checked to be the variant it stands for.
for c in "${cases[@]}"; do
    IFS='|' read -r name file picture options layout _ _ <<<"$c"
    file=$(trim "$file") options=$(trim "$options") layout=$(trim "$layout")
    case $file in
    rle4.bmp) make_rle4 "$src/$file" ;;
    # A colours-used count whose table would run far past the end of the file: a broken header.
    badpal.bmp)
        cp "$src/v8.bmp" "$src/$file"
        printf '\x60\xEA\0\0' | dd of="$src/$file" bs=1 seek=46 conv=notrunc status=none ;;
    *)
        # shellcheck disable=SC2086  # the options are words
        convert "$src/$(trim "$picture").png" ${options% *} "${options##* }$src/$file" ;;
    esac
    [[ $file != v16.bmp ]] || make_plain_555 "$src/$file"
    [[ -z $layout || $(bmp_layout "$src/$file") == "$layout" ]] ||
        fail "ImageMagick wrote $file as '$(bmp_layout "$src/$file")', not the $(trim "$name") layout '$layout'"
done

STATUS_AT_START=

# round_trip <mode> <dir> <file> <label> <expectation>
round_trip() {
    local mode=$1 dir=$2 file=$3 label=$4 expect=$5 path before psnr diff
    path=$dir/$file
    WINEDLLOVERRIDES=${OVERRIDES[$mode]} start_with_picture "$exe" "$shots-$label.png" "$path"
    if [[ -z $STATUS_AT_START ]]; then
        STATUS_AT_START=$(status_text_sig "$shots-$label.png")
        [[ $STATUS_AT_START != blank ]] || fail "$label: no text in the status bar (see $shots-$label.png)"
    fi
    before=$(file_state "$path")
    keys_to "$XID" ctrl+s
    wait_file_changed "$path" "$before" 10 || fail "$label: Ctrl+S did not write the file within 10 s"
    wait_caption "$XID" "$(win_path "$path") - Kolvex" 5 || fail "$label: the caption changed on saving"
    close_unchanged "$XID"
    case $file in
    *.bmp)
        [[ $(bmp_layout "$path") == "40 24 0" ]] || fail "$label: saved as '$(bmp_layout "$path")', not 24-bit" ;;
    *)
        local want=${file##*.}
        want=${want^^}
        [[ $want == JPG ]] && want=JPEG
        [[ $(identify -format '%m' "$path") == "$want" ]] || fail "$label: saved as $(identify -format '%m' "$path")" ;;
    esac
    if [[ $expect == psnr ]]; then
        psnr=$(compare -metric PSNR "$path" "$src/$file" null: 2>&1 || true)
        awk -v p="$psnr" -v min="$JPEG_MIN_PSNR" 'BEGIN { exit !(p + 0 >= min) }' ||
            fail "$label: PSNR $psnr dB against the original, below $JPEG_MIN_PSNR"
        echo "$mode $label: saved, PSNR $psnr dB"
    else
        if [[ $expect != pillow ]]; then
            diff=$(pixels_differ "$path" "$src/$file")
            [[ $diff == 0 ]] || fail "$label: $diff pixels differ from the original after the round trip"
        fi
        if [[ $expect == pillow || $expect == both ]]; then
            diff=$(pillow_differ "$path" "$src/$file")
            [[ $diff == 0 ]] || fail "$label: $diff pixels differ from the original as Pillow reads it"
        fi
        echo "$mode $label: saved, $expect"
    fi
}

for mode in gdiplus own; do
    dir=$E2E_TMP/$mode
    mkdir -p "$dir"
    for c in "${cases[@]}"; do
        IFS='|' read -r name file _ _ _ with without <<<"$c"
        file=$(trim "$file") name=$(trim "$name")
        expect=$(trim "$with")
        [[ $mode == own ]] && expect=$(trim "$without")
        cp "$src/$file" "$dir/$file"
        label="$mode-${file%.*}"
        if [[ $expect == refused ]]; then
            WINEDLLOVERRIDES=${OVERRIDES[$mode]} open_refused "$exe" "$shots-$label.png" "$dir/$file" "$STATUS_AT_START"
            cmp -s "$dir/$file" "$src/$file" || fail "$label: the file changed"
            echo "$mode $label: refused"
        else
            round_trip "$mode" "$dir" "$file" "$label" "$expect"
        fi
        [[ -z $(temp_files_in "$dir") ]] || fail "$label: temporary files left: $(temp_files_in "$dir")"
    done
done

# A file GDI+ fails to decode is not left open by it: another program deletes it while Kolvex still shows the
# refusal. A PNG cut inside its image data, and a BMP whose body is meant for GDI+ (BI_PNG) and broken.
convert -seed 5 -size 64x64 xc: +noise Random "PNG24:$src/noise.png"
head -c $(($(stat -c %s "$src/noise.png") * 2 / 3)) "$src/noise.png" >"$E2E_TMP/cut.png"
"$PYTHON" - "$E2E_TMP/cut.png" "$E2E_TMP/png_inside.bmp" <<'PY'
import struct, sys
body = open(sys.argv[1], "rb").read()
header = struct.pack("<IiiHHIIiiII", 40, 64, 64, 1, 0, 5, len(body), 0, 0, 0, 0)
open(sys.argv[2], "wb").write(b"BM" + struct.pack("<IHHI", 54 + len(body), 0, 0, 54) + header + body)
PY
for file in cut.png png_inside.bmp; do
    label="gdiplus-held-${file%.*}"
    kolvex_start "$exe" "$(win_path "$E2E_TMP/$file")"
    XID=$(wait_for_window ' - Kolvex$' 30) || fail "$label: main window did not appear"
    read -r WX WY WW WH < <(window_geometry "$XID") || fail "no geometry for window $XID"
    wait_status_message "$shots-$label.png" "$STATUS_AT_START" 10 || fail "$label: no refusal in the status bar"
    wait_caption "$XID" "Untitled - Kolvex" 0 || fail "$label: the file opened"
    # From a folder without a cmd.exe of its own, which Wine would run instead.
    (cd "$E2E_TMP" && wine cmd /c del "$(win_path "$E2E_TMP/$file")") </dev/null >/dev/null 2>&1 || true
    [[ ! -e $E2E_TMP/$file ]] || fail "$label: another program cannot delete the file while Kolvex runs"
    close_unchanged "$XID"
    echo "gdiplus $label: refused, and deleted by another program meanwhile"
done

# The window tests of this mode: what the program says without GDI+, read from inside it.
WINEDLLOVERRIDES=${OVERRIDES[own]} run_disabled_window_tests "$tests_exe" "$E2E_OUT/$E2E_NAME-window-tests.log" \
    'NoGdiplus.*' 3
echo "PASS: every picture came back as ImageMagick and Pillow read the original, with GDI+ and with the program's own BMP code"
