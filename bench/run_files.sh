#!/usr/bin/env bash
# Loading and saving a 4,000 x 3,000 picture: the program's own BMP reader and writer, and GDI+ for PNG, against
# ImageMagick's convert doing the same conversion on the same file. Run by scripts/bench with DISPLAY, WINEPREFIX
# and a persistent wineserver up; KOLVEX_BUILD is the Windows build tree. Prints figures, never fails on them.
set -euo pipefail

: "${KOLVEX_BUILD:?KOLVEX_BUILD must name the Windows build tree}"
runs=${KOLVEX_BENCH_FILES_RUNS:-3}
probe=$KOLVEX_BUILD/bench/files_probe.exe
[[ -f $probe ]] || { echo "run_files: $probe is missing; build the Windows tree first" >&2; exit 1; }

work=$(mktemp -d /tmp/kolvex_bench_files.XXXXXX)
trap 'rm -rf "$work"' EXIT

# Smooth colour, as a photograph: a plasma enlarged 4 times. 24-bit BMP of 36 MB; the PNG is about 10 MB.
convert -seed 7 -size 1000x750 plasma:fractal -resize '4000x3000!' "BMP3:$work/in.bmp"
convert "$work/in.bmp" "PNG24:$work/in.png"
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

# probe [overrides]: the probe's "<name>_ms <value>" lines. The outer timeout only guards against Wine hanging.
probe() {
    (cd "$KOLVEX_BUILD/bench" && WINEDLLOVERRIDES=$1 timeout 600 wine "$probe" "$(winpath "$work/in.bmp")" \
        "$(winpath "$work/in.png")" "$(winpath "$work/out")" "$runs" </dev/null) | tr -d '\r'
}
field() { awk -v k="$1" '$1 == k { print $2 }' <<<"$2"; }

im_bmp=$(best_ms convert "$work/in.bmp" "$work/out/im.bmp")
im_png=$(best_ms convert "$work/in.png" "$work/out/im.png")
im_start=$(best_ms convert -size 1x1 xc:white "$work/out/tiny.bmp")
own=$(probe "${WINEDLLOVERRIDES:-};gdiplus=d")
gdi=$(probe "${WINEDLLOVERRIDES:-}")
[[ $(field gdiplus "$own") == 0 && $(field gdiplus "$gdi") == 1 ]] ||
    { echo "run_files: the probe did not run with and without GDI+:" >&2; echo "$own" "$gdi" >&2; exit 1; }
for k in bmp_load_own_ms bmp_save_own_ms; do [[ -n $(field $k "$own") ]] || { echo "$own" >&2; exit 1; }; done
for k in bmp_load_gdiplus_ms png_load_ms png_save_ms; do [[ -n $(field $k "$gdi") ]] || { echo "$gdi" >&2; exit 1; }; done

echo "== files: load and save of a 4000x3000 picture, best of $runs runs =="
awk -v imb="$im_bmp" -v imp="$im_png" -v ims="$im_start" \
    -v bl="$(field bmp_load_own_ms "$own")" -v bs="$(field bmp_save_own_ms "$own")" \
    -v gl="$(field bmp_load_gdiplus_ms "$gdi")" \
    -v pl="$(field png_load_ms "$gdi")" -v ps="$(field png_save_ms "$gdi")" 'BEGIN {
    printf "%-34s %9s %9s %9s %16s %7s\n", "", "load ms", "save ms", "total ms", "convert ms", "ratio"
    printf "%-34s %9.1f %9.1f %9.1f %16d %7.2f\n", "BMP, own reader and writer", bl, bs, bl + bs, imb, (bl + bs) / imb
    printf "%-34s %9.1f %9.1f %9.1f %16d %7.2f\n", "PNG, GDI+", pl, ps, pl + ps, imp, (pl + ps) / imp
    printf "%-34s %9.1f %9s %9s %16s %7s\n", "BMP load through GDI+ (as run)", gl, "", "", "", ""
    printf "ratio: Kolvex load + save / convert wall time; below 1 Kolvex is faster. Kolvex is timed inside its\n"
    printf "process under Wine; convert includes its process start, %d ms for a 1x1 picture.\n", ims
}'
