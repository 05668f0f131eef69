#!/usr/bin/env bash
# Updates that install, through Help > Check for Updates with real keys, on copies of Kolvex.exe in folders of
# the test's own: an installer told the program folder (and not told one under a "Desktop" folder), the program
# replaced in a 200+-character Cyrillic folder, a replacement that ends at once, and a read-only program folder.
# Usage: update_install_test.sh <Kolvex.exe>. Needs root for the read-only mount.
set -euo pipefail
E2E_NAME=update_install
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$E2E_ROOT/tests/update/update_env.sh"

exe=${1:?usage: $0 <Kolvex.exe>}
[[ $(id -u) -eq 0 ]] || fail "mounting the read-only program folder needs root"
t0=$(kolvex_now_ms)
update_env_up "$(dirname "$exe")"
root=$E2E_TMP
# A program folder whose path names "Temp", "Downloads" or "Desktop" gets no /D=, so the test's own must not.
[[ ! $root =~ Temp|temp|Downloads|downloads|Desktop|desktop ]] || fail "the test folder $root looks temporary"
temp_dir="$WINEPREFIX/drive_c/users/$(id -un)/Temp"
rm -f "$temp_dir"/Kolvex_*.exe

newer='"version": "9.9.9", "buildTimestamp": "20991231_000000"'
version_route() { printf '"/downloads/retro/kolvex/version.json": {"body": {"text": %s}}' "$(python3 -c \
    'import json,sys; print(json.dumps(sys.argv[1]))' "{$newer, $1}")"; }
installer_case="{\"primary\": {$(version_route '"setupUrl": "@PRIMARY@/files/setup.exe", "setupSha256": "@SHA256:installer.exe@"'),
    \"/files/setup.exe\": {\"body\": {\"file\": \"installer.exe\"}}}}"
replace_case() { # the program served at the default download URL
    echo "{\"primary\": {$(version_route "\"downloadSha256\": \"@SHA256:$1@\""),
        \"/downloads/retro/kolvex/latest\": {\"body\": {\"file\": \"$1\"}}}}"
}

NEW_PID=
stop_new_program() {
    [[ -n $NEW_PID ]] || return 0
    (cd "$WINEPREFIX" && wine taskkill /pid "$NEW_PID" /f) >/dev/null 2>&1 || true
    NEW_PID=
}
UPDATE_ON_EXIT=stop_new_program

# wait_marker: until the served program has written its marker, in one piece, within 10 s.
wait_marker() {
    local deadline=$(($(kolvex_now_ms) + 10000))
    until [[ -s $UPD/marker.txt ]]; do
        (($(kolvex_now_ms) < deadline)) || return 1
        sleep 0.05
    done
}

# update_through_menu <app folder> <case>: starts the copy there, asks for updates and answers Yes.
update_through_menu() {
    local app=$1 box
    update_case "$2"
    rm -f "$UPD/marker.txt"
    kolvex_start "$app/Kolvex.exe"
    XID=$(wait_for_window ' - Kolvex$' 30) || fail "$app: main window did not appear"
    wait_screen_stable "$E2E_OUT/$E2E_NAME.png" 10 || fail "the window did not finish painting"
    keys_to "$XID" alt+h
    sleep 0.3
    xdotool key u
    box=$(wait_for_window '^Kolvex Update Available$' 15) || fail "$app: no question about the newer version"
    keys_to "$box" y
}

# copy_program <folder>: a fresh copy of Kolvex.exe there.
copy_program() {
    mkdir -p "$1"
    cp "$exe" "$1/Kolvex.exe"
}

# expect_unchanged <app folder>: the program as it was, nothing beside it.
expect_unchanged() {
    cmp -s "$exe" "$1/Kolvex.exe" || fail "$1: the program changed"
    [[ ! -e $1/Kolvex.exe.new && ! -e $1/Kolvex.exe.bak ]] || fail "$1: left $(ls "$1")"
}

# An installer, told where the program lives; the program then closes.
export KOLVEX_TEST_MARKER=$(win_path "$UPD/marker.txt")
for where in app Desktop/app; do
    app=$root/$where
    copy_program "$app"
    update_through_menu "$app" "$installer_case"
    rc=0
    wait_exit "$KOLVEX_PID" 20 || rc=$?
    ((rc == 0)) || fail "$where: the program did not close for the installer (exit $rc)"
    wait_marker || fail "$where: the installer did not run"
    args=$(cat "$UPD/marker.txt")
    if [[ $where == app ]]; then
        [[ $args == *" /D=$(win_path "$app")" ]] || fail "the installer was not told the folder: $args"
    else
        [[ $args != *"/D="* ]] || fail "an installer under Desktop was told a folder: $args"
    fi
    echo "installer in $where: $args"
done
rm -f "$temp_dir"/Kolvex_Setup_*.exe

# The program replaced and restarted, in a folder of more than 200 characters with Cyrillic letters, made of
# several names (a Linux name holds 255 bytes). The program's path stays within MAX_PATH, which the shell's start
# of a program needs.
part=Папка_для_проверки_обновления_программы_рисования_с_длинным_названием
app=$root/${part}_1/${part}_2/Обновление_программы
length=$(printf '%s' "$(win_path "$app")" | wc -m)
((length > 200 && length + 15 < 260)) || fail "the folder has $length characters"
copy_program "$app"
update_through_menu "$app" "$(replace_case program.exe)"
done_box=$(wait_for_window '^Update Complete$' 30) || fail "no Update Complete message"
wait_marker && grep -q '^pid=' "$UPD/marker.txt" || fail "the new program did not start before the message"
NEW_PID=$(sed -n 's/^pid=\([0-9]*\).*/\1/p' "$UPD/marker.txt")
keys_to "$done_box" Return
rc=0
wait_exit "$KOLVEX_PID" 20 || rc=$?
((rc == 0)) || fail "the old program did not end with 0 after the update (exit $rc)"
grep -q ' hotkeys=3$' "$UPD/marker.txt" || fail "the new program could not take the snip hot keys: $(cat "$UPD/marker.txt")"
cmp -s "$UPD/program.exe" "$app/Kolvex.exe" || fail "the program is not the served file"
cmp -s "$exe" "$app/Kolvex.exe.bak" || fail "Kolvex.exe.bak is not the old program"
[[ ! -e $app/Kolvex.exe.new ]] || fail "Kolvex.exe.new was left"
stop_new_program
echo "replaced in a $length-character folder"

# A replacement that ends at once is undone; so is one that cannot be written.
app=$root/quits
copy_program "$app"
update_through_menu "$app" "$(replace_case installer.exe)"
box=$(wait_for_window '^Update Error$' 30) || fail "a program that ends at once gave no Update Error"
keys_to "$box" Return
expect_unchanged "$app"
# The old program took its snip hot keys back, so another program cannot have them.
rm -f "$UPD/marker.txt"
(cd "$UPD" && exec wine "$UPD/program.exe") >/dev/null 2>&1 &
wait_marker || fail "the hot key probe did not start"
NEW_PID=$(sed -n 's/^pid=\([0-9]*\).*/\1/p' "$UPD/marker.txt")
grep -q ' hotkeys=0$' "$UPD/marker.txt" || fail "the old program did not take its hot keys back: $(cat "$UPD/marker.txt")"
stop_new_program
close_unchanged "$XID"

app=$root/readonly
mkdir -p "$app"
e2e_mount_small "$app" 20480
copy_program "$app"
mount -o remount,ro "$app" || fail "could not make $app read-only"
update_through_menu "$app" "$(replace_case program.exe)"
box=$(wait_for_window '^Update Error$' 30) || fail "a read-only program folder gave no Update Error"
keys_to "$box" Return
expect_unchanged "$app"
close_unchanged "$XID"

left=$(find "$temp_dir" -maxdepth 1 -name 'Kolvex_*' | head -n 5)
[[ -z $left ]] || fail "downloads left in the temporary folder: $left"
echo "PASS: installer, replacement and refused replacements ($(($(kolvex_now_ms) - t0)) ms)"
