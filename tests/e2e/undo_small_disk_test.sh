#!/usr/bin/env bash
# Puts the temporary folder on a small file system and runs the window test that draws on a 2,000 x 2,000
# picture there: the history must drop old levels instead of growing in memory. Needs root for the mount.
# Usage: undo_small_disk_test.sh <Kolvex.exe>; the window tests program lies next to it.
set -euo pipefail
E2E_NAME=undo_small_disk
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

exe=${1:?usage: $0 <Kolvex.exe>}
tests_exe="$(dirname "$exe")/kolvex_window_tests.exe"
[[ -f $tests_exe ]] || fail "no window tests program at $tests_exe"
[[ $(id -u) -eq 0 ]] || fail "mounting the small file system needs root"

e2e_make_temp_dir
mnt=$E2E_TMP/small

# 20 MiB holds no 16 MB level within its half-the-free-space budget, 40 MiB holds one.
for mib in 20 40; do
    mkdir -p "$mnt"
    e2e_mount_small "$mnt" $((mib * 1024))
    mkdir -p "$mnt/temp"
    KOLVEX_SMALL_TEMP=$(win_path "$mnt/temp") run_disabled_window_tests "$tests_exe" "$E2E_OUT/$E2E_NAME-$mib.log" \
        'UndoHistoryTest.DISABLED_SmallDiskDropsOldLevelsAndKeepsMemoryBounded' 1
    leftovers=$(find "$mnt/temp" -mindepth 1 | head -n 5)
    [[ -z $leftovers ]] || fail "left in the small temporary folder: $leftovers"
    e2e_unmount "$mnt"
done
echo "PASS: the history kept within its budgets on 20 and 40 MiB temporary file systems"
