#!/usr/bin/env bash
# Kolvex's start-up step by step: runs bench/startup_steps.exe several times and prints the median of each line.
# Run by scripts/bench with DISPLAY, WINEPREFIX and a persistent wineserver up; KOLVEX_BUILD is the Windows build
# tree. Prints figures, never fails on them.
set -euo pipefail

: "${KOLVEX_BUILD:?KOLVEX_BUILD must name the Windows build tree}"
runs=${KOLVEX_BENCH_STARTUP_RUNS:-7}
probe=$KOLVEX_BUILD/bench/startup_steps.exe
[[ -f $probe ]] || { echo "run_startup_steps: $probe is missing; build the Windows tree first" >&2; exit 1; }

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for ((i = 0; i < runs; i++)); do
    (cd "$KOLVEX_BUILD/bench" && timeout 60 wine startup_steps.exe </dev/null) | tr -d '\r' >"$out/$i" || true
done
echo "== start-up steps of Kolvex (milliseconds, median of $runs runs) =="
python3 - "$out"/* <<'PY'
import re, statistics, sys
rows, order = {}, []
for name in sys.argv[1:]:
    seen = {}
    for line in open(name):
        m = re.match(r'\s*([0-9.]+) (.*)', line.rstrip('\n'))
        if not m:
            continue
        label = m.group(2)
        key = (label, seen.get(label, 0))
        seen[label] = key[1] + 1
        if key not in rows:
            rows[key] = []
            order.append(key)
        rows[key].append(float(m.group(1)))
for key in order:
    print('%8.2f %s' % (statistics.median(rows[key]), key[0]))
PY
