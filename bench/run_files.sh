#!/usr/bin/env bash
# Loading and saving a 4,000 x 3,000 picture in the real program: BMP in 24-bit, 8-bit RLE and 5-6-5 bit-field form
# through the program's own reader, the GDI+ bridge alone on the 24-bit file, the BMP writer, and GDI+ for PNG,
# each against ImageMagick's convert doing the same conversion of the same file. Run by scripts/bench with DISPLAY,
# WINEPREFIX and a persistent wineserver up; KOLVEX_BUILD is the Windows build tree. Prints figures, never fails on
# them.
set -euo pipefail

: "${KOLVEX_BUILD:?KOLVEX_BUILD must name the Windows build tree}"
runs=${KOLVEX_BENCH_FILES_RUNS:-3}
probe=$KOLVEX_BUILD/bench/files_probe.exe
[[ -f $probe ]] || { echo "run_files: $probe is missing; build the Windows tree first" >&2; exit 1; }

work=$(mktemp -d /tmp/kolvex_bench_files.XXXXXX)
trap 'rm -rf "$work"' EXIT

# Smooth colour, as a photograph: a plasma enlarged 4 times. 24-bit BMP of 36 MB; the PNG is about 10 MB. The
# 256-colour RLE8 form has the flat areas of a reduced picture.
convert -seed 7 -size 1000x750 plasma:fractal -resize '4000x3000!' "BMP3:$work/in.bmp"
convert "$work/in.bmp" "PNG24:$work/in.png"
convert "$work/in.bmp" +dither -colors 256 -compress RLE "BMP3:$work/rle8.bmp"
convert "$work/in.bmp" -define bmp:subtype=RGB565 "BMP:$work/565.bmp"
mkdir -p "$work/out"

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# best_ms <command...>: the shortest wall time of $runs runs, process start included.
best_ms() {
    local best='' t0 ms i
    for ((i = 0; i < runs; i++)); do
        t0=$(now_ms)
        "$@"
        ms=$(($(now_ms) - t0))
        [[ -n $best && $best -le $ms ]] || best=$ms
    done
    echo "$best"
}

winpath() { printf 'Z:%s' "${1//\//\\}"; }

# probe: the probe's "<name>_ms <value>" lines. The outer timeout only guards against Wine hanging.
probe() {
    (cd "$KOLVEX_BUILD/bench" && timeout 600 wine "$probe" "$(winpath "$work/in.bmp")" "$(winpath "$work/rle8.bmp")" \
        "$(winpath "$work/565.bmp")" "$(winpath "$work/in.png")" "$(winpath "$work/out")" "$runs" </dev/null) |
        tr -d '\r'
}
field() { awk -v k="$1" '$1 == k { print $2 }' <<<"$2"; }

# ImageMagick reading each file and writing 24-bit BMP, as the program's load and save do.
im_bmp24=$(best_ms convert "$work/in.bmp" -type truecolor "BMP3:$work/out/im.bmp")
im_rle8=$(best_ms convert "$work/rle8.bmp" -type truecolor "BMP3:$work/out/im.bmp")
im_565=$(best_ms convert "$work/565.bmp" -type truecolor "BMP3:$work/out/im.bmp")
im_png=$(best_ms convert "$work/in.png" "$work/out/im.png")
im_start=$(best_ms convert -size 1x1 xc:white "$work/out/tiny.bmp")
out=$(probe)
[[ $(field gdiplus "$out") == 1 ]] || { echo "run_files: the probe did not find GDI+:" >&2; echo "$out" >&2; exit 1; }
for k in bmp24_load rle8_load bf565_load bmp_save bmp24_gdiplus_bridge png_load png_save; do
    [[ -n $(field "${k}_ms" "$out") ]] || { echo "run_files: no $k in the probe's output:" >&2; echo "$out" >&2; exit 1; }
done

echo "== files: a 4000x3000 picture, best of $runs runs =="
awk -v b24="$(field bmp24_load_ms "$out")" -v rle="$(field rle8_load_ms "$out")" -v bf="$(field bf565_load_ms "$out")" \
    -v gb="$(field bmp24_gdiplus_bridge_ms "$out")" -v bs="$(field bmp_save_ms "$out")" \
    -v pl="$(field png_load_ms "$out")" -v ps="$(field png_save_ms "$out")" \
    -v i24="$im_bmp24" -v irle="$im_rle8" -v i565="$im_565" -v ipng="$im_png" -v ims="$im_start" 'BEGIN {
    row = "%-44s %10.1f %16d %7.2f\n"
    printf "%-44s %10s %16s %7s\n", "", "Kolvex ms", "convert ms", "ratio"
    printf row, "BMP 24-bit load (own reader)", b24, i24, b24 / i24
    printf row, "BMP 8-bit RLE load (own reader)", rle, irle, rle / irle
    printf row, "BMP 5-6-5 bit-field load (own reader)", bf, i565, bf / i565
    printf row, "BMP 24-bit load, GDI+ bridge alone", gb, i24, gb / i24
    printf row, "BMP 24-bit load + save", b24 + bs, i24, (b24 + bs) / i24
    printf row, "PNG load + save (GDI+)", pl + ps, ipng, (pl + ps) / ipng
    printf "GDI+ bridge / own reader on the 24-bit file: %.2f\n", gb / b24
    printf "convert ms: reading that file and writing it as a 24-bit BMP (PNG: as PNG), process start included (%d ms\n", ims
    printf "for a 1x1 picture). Kolvex is timed inside its process under Wine. A ratio below 1: Kolvex is faster.\n"
}'
