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

mnt=$(mktemp -d /tmp/kolvex_small_disk.XXXXXX)
image=
mounted=0
unmount_small() {
    if ((mounted)); then umount "$mnt" 2>/dev/null || umount -l "$mnt" 2>/dev/null || true; fi
    mounted=0
}
small_disk_cleanup() {
    local rc=$?
    unmount_small
    rmdir "$mnt" 2>/dev/null || true
    [[ -z $image ]] || rm -f "$image"
    (exit "$rc")
    e2e_cleanup
}
trap small_disk_cleanup EXIT

# tmpfs where the sandbox allows it, else an ext2 image on a loop device.
mount_small() {
    local mib=$1
    if mount -t tmpfs -o "size=${mib}m" tmpfs "$mnt" 2>/dev/null; then
        mounted=1
        return 0
    fi
    image=$(mktemp /tmp/kolvex_small_disk.XXXXXX.img)
    truncate -s "${mib}M" "$image"
    mkfs.ext2 -q -F "$image" >/dev/null 2>&1 && mount -o loop "$image" "$mnt" 2>/dev/null && mounted=1 && return 0
    fail "neither a tmpfs nor a loop-mounted image could be mounted on $mnt"
}

# 20 MiB holds no 16 MB level within its half-the-free-space budget, 40 MiB holds one.
for mib in 20 40; do
    mount_small "$mib"
    mkdir -p "$mnt/temp"
    log="$E2E_OUT/$E2E_NAME-$mib.log"
    rc=0
    (cd "$(dirname "$tests_exe")" &&
        KOLVEX_SMALL_TEMP="Z:${mnt//\//\\}\\temp" timeout 120 wine "$tests_exe" \
            --gtest_filter='UndoHistoryTest.DISABLED_SmallDiskDropsOldLevelsAndKeepsMemoryBounded' \
            --gtest_also_run_disabled_tests) </dev/null >"$log" 2>&1 || rc=$?
    grep -E '^\[ *(RUN|OK|FAILED|PASSED) *\]|Failure|Expected|Which is|actual' "$log" || true
    ((rc == 0)) || fail "the small-disk test failed on $mib MiB (exit $rc, see $log)"
    grep -q '^\[  PASSED  \] 1 test' "$log" || fail "the small-disk test did not run on $mib MiB (see $log)"
    leftovers=$(find "$mnt/temp" -mindepth 1 | head -n 5)
    [[ -z $leftovers ]] || fail "left in the small temporary folder: $leftovers"
    unmount_small
done
echo "PASS: the history kept within its budgets on 20 and 40 MiB temporary file systems"
