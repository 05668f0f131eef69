# Sourced by the update end-to-end tests after tests/e2e/lib.sh: a throwaway signing key, the two scripted servers
# of update_server.py on 127.0.0.1 and the registry values that point the program at them, undone at the end.
#
# update_env_up: sets UPD (the servers' folder), UPD_WIN (the same as the program names it), PRIMARY_URL and
# SECONDARY_URL, and copies the served programs (program.exe, installer.exe, old.exe) into UPD.

UPDATE_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
UPDATE_SERVER_PIDS=()

update_reg() {
    (cd "$WINEPREFIX" && wine reg "$@") >/dev/null 2>&1
}

update_env_down() {
    local pid
    for pid in "${UPDATE_SERVER_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    UPDATE_SERVER_PIDS=()
    # Without the key no check asks any server, so the prefix is left unable to reach one.
    update_reg delete 'HKCU\Software\Kolvex\Update' /f || true
}

# The EXIT trap: the caller's UPDATE_ON_EXIT command first, then the servers and the registry, then lib.sh's own
# clean-up with the script's exit code.
UPDATE_ON_EXIT=
update_on_exit() {
    local rc=$?
    set +e
    [[ -z $UPDATE_ON_EXIT ]] || $UPDATE_ON_EXIT
    update_env_down
    (exit "$rc")
    e2e_cleanup
}

update_env_up() {
    local build_dir=$1 role deadline
    e2e_make_temp_dir
    UPD=$E2E_TMP/server
    mkdir -p "$UPD"
    UPD_WIN=$(win_path "$UPD")
    openssl genrsa -out "$UPD/good.pem" 2048 2>/dev/null
    openssl genrsa -out "$UPD/other.pem" 2048 2>/dev/null
    openssl rsa -in "$UPD/good.pem" -pubout -out "$UPD/good.pub.pem" 2>/dev/null
    cp "$build_dir/kolvex_update_test_program.exe" "$UPD/program.exe"
    cp "$build_dir/kolvex_update_test_installer.exe" "$UPD/installer.exe"
    # An older build of the same program: as valid and as signed, but not the file the document names.
    { cat "$UPD/program.exe"; printf 'older'; } >"$UPD/old.exe"
    echo '{}' >"$UPD/case.json"
    trap update_on_exit EXIT
    for role in primary secondary; do
        python3 "$UPDATE_LIB_DIR/update_server.py" "$UPD" "$role" 2>>"$UPD/server.err" &
        UPDATE_SERVER_PIDS+=($!)
    done
    deadline=$(($(kolvex_now_ms) + 10000))
    until [[ -s $UPD/primary.port && -s $UPD/secondary.port ]]; do
        (($(kolvex_now_ms) < deadline)) || fail "the test servers did not start (see $UPD/server.err)"
        sleep 0.05
    done
    PRIMARY_URL="http://127.0.0.1:$(cat "$UPD/primary.port")"
    SECONDARY_URL="http://127.0.0.1:$(cat "$UPD/secondary.port")"
    update_reg add 'HKCU\Software\Kolvex\Update' /v PrimaryServer /t REG_SZ /d "$PRIMARY_URL" /f &&
        update_reg add 'HKCU\Software\Kolvex\Update' /v SecondaryServer /t REG_SZ /d "$SECONDARY_URL" /f &&
        update_reg add 'HKCU\Software\Kolvex\Update' /v PublicKey /t REG_BINARY \
            /d "$(python3 "$UPDATE_LIB_DIR/key_blob.py" "$UPD/good.pub.pem" --hex)" /f ||
        fail "could not write HKCU\\Software\\Kolvex\\Update"
}

# update_case <json>: what both servers answer from now on.
update_case() {
    printf '%s\n' "$1" >"$UPD/case.json.tmp"
    mv "$UPD/case.json.tmp" "$UPD/case.json"
    rm -f "$UPD/primary.log" "$UPD/secondary.log"
}
