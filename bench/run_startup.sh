#!/usr/bin/env bash
# Startup time and memory of Kolvex.exe against a bare window of the same size, so that what Wine costs
# every program drops out. Run by scripts/bench with DISPLAY, WINEPREFIX and a persistent wineserver up;
# KOLVEX_EXE is Kolvex.exe, KOLVEX_BUILD the Windows build tree. Prints figures, never fails on them.
set -euo pipefail

: "${KOLVEX_EXE:?KOLVEX_EXE must name Kolvex.exe}" "${KOLVEX_BUILD:?KOLVEX_BUILD must name the Windows build tree}"
runs=${KOLVEX_BENCH_STARTUP_RUNS:-7}
probe=$KOLVEX_BUILD/bench/startup_probe.exe
minimal=$KOLVEX_BUILD/bench/kolvex_bench_minimal_window.exe
for f in "$KOLVEX_EXE" "$probe" "$minimal"; do
    [[ -f $f ]] || { echo "run_startup: $f is missing; build the Windows tree first" >&2; exit 1; }
done

# The probe runs inside Wine and needs Windows paths.
winpath() { (cd "$KOLVEX_BUILD" && winepath -w "$1" 2>/dev/null); }

# probe <exe> <title> <runs>: the probe's own output, without Windows line ends; one warm-up run inside
# the same probe, whose first child always runs high. The probe bounds its waits (20 s to show, 10 s to
# exit per run); the outer timeout only guards against Wine itself hanging.
probe() {
    local exe title=$2 n=$3
    exe=$(winpath "$1")
    (cd "$KOLVEX_BUILD" && timeout $((n * 35 + 60)) wine "$probe" "$exe" "$title" "$n" 1 </dev/null) | tr -d '\r'
}

field() { awk -v k="$1" '$1 == k { print $2 }' <<<"$2"; }

# measure <label> <exe> <title>: sets median_ms and median_kib.
measure() {
    local label=$1 exe=$2 title=$3 out lines
    out=$(probe "$exe" "$title" "$runs") || true
    echo "$label ($runs runs after one warm-up, window \"$title\"):"
    mapfile -t lines <<<"$out"
    printf '    %s\n' "${lines[@]}"
    median_ms=$(field median_ms "$out")
    median_kib=$(field median_pagefile_kib "$out")
    [[ -n $median_ms && $(field runs_ok "$out") -gt 0 ]] || { echo "run_startup: $label did not start" >&2; exit 1; }
}

echo "== startup: Kolvex.exe against a minimal 800x600 window =="
measure "Kolvex.exe" "$KOLVEX_EXE" "Untitled - Kolvex"
kolvex_ms=$median_ms kolvex_kib=$median_kib
measure "minimal window" "$minimal" "Kolvex Bench Minimal"
minimal_ms=$median_ms minimal_kib=$median_kib

awk -v km="$kolvex_ms" -v mm="$minimal_ms" -v kk="$kolvex_kib" -v mk="$minimal_kib" 'BEGIN {
    picture = 640 * 480 * 4 / 1048576
    printf "median time to visible window: Kolvex %.1f ms, minimal %.1f ms\n", km, mm
    printf "ratio Kolvex / minimal: %.2f (goal: close to 1)\n", (mm > 0 ? km / mm : 0)
    printf "PagefileUsage after start: Kolvex %.2f MiB, minimal %.2f MiB\n", kk / 1024, mk / 1024
    printf "Kolvex memory beyond the minimal program: %.2f MiB (PagefileUsage delta); ", (kk - mk) / 1024
    printf "the 640x480x4 picture alone is %.2f MiB (goal: a few MiB beyond the picture)\n", picture
}'
