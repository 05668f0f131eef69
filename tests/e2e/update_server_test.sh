#!/usr/bin/env bash
# The update check's window tests against the scripted servers on 127.0.0.1: version answers, refused
# documents and downloads, progress and Cancel, leftovers, the window itself; then WinINet missing, a busy
# user-interface thread under Wine's heap checks, and a temporary folder too small for the download.
# Usage: update_server_test.sh <Kolvex.exe>; the window tests program lies next to it. Needs root for the mount.
set -euo pipefail
E2E_NAME=update_server
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$E2E_ROOT/tests/update/update_env.sh"

exe=${1:?usage: $0 <Kolvex.exe>}
build_dir=$(dirname "$exe")
tests_exe="$build_dir/kolvex_window_tests.exe"
[[ -f $tests_exe ]] || fail "no window tests program at $tests_exe"
[[ $(id -u) -eq 0 ]] || fail "mounting the small file system needs root"

t0=$(kolvex_now_ms)
update_env_up "$build_dir"
export KOLVEX_UPDATE_TEST_DIR=$UPD_WIN
export KOLVEX_TEST_MARKER=$(win_path "$UPD/marker.txt")
log=$E2E_OUT/$E2E_NAME

run_disabled_window_tests "$tests_exe" "$log.log" 'UpdateServer.DISABLED_*-*WinInet*:*Busy*:*TooSmall*' 10
echo "server cases: $(($(kolvex_now_ms) - t0)) ms"

WINEDLLOVERRIDES="mscoree,mshtml=;wininet=d" run_disabled_window_tests "$tests_exe" "$log-wininet.log" \
    'UpdateServer.DISABLED_WithoutWinInet*' 1

WINEDEBUG=warn+heap run_disabled_window_tests "$tests_exe" "$log-heap.log" 'UpdateServer.DISABLED_ABusy*' 1
! grep -E '^[0-9a-f]+:(err|warn):heap' "$log-heap.log" | head -n 5 | grep . || fail "heap warnings (see $log-heap.log)"

mkdir -p "$E2E_TMP/small"
e2e_mount_small "$E2E_TMP/small" 64
KOLVEX_UPDATE_SMALL_TEMP=$(win_path "$E2E_TMP/small") run_disabled_window_tests "$tests_exe" "$log-small.log" \
    'UpdateServer.DISABLED_ATemporaryFolderTooSmall*' 1
[[ -z $(ls -A "$E2E_TMP/small") ]] || fail "left in the small temporary folder: $(ls -A "$E2E_TMP/small")"

[[ ! -e $UPD/marker.txt ]] || fail "a refused download ran: $(cat "$UPD/marker.txt")"
left=$(find "$WINEPREFIX/drive_c/users/$(id -un)/Temp" -maxdepth 1 -iname 'kolvex_update_temp_*' | head -n 3)
[[ -z $left ]] || fail "the tests' temporary folders were left: $left"
echo "PASS: update window tests against the test servers ($(($(kolvex_now_ms) - t0)) ms)"
