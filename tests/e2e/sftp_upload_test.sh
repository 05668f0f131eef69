#!/usr/bin/env bash
# Uploads with the real Debian psftp, sftp and scp to the test's own sshd on 127.0.0.1 (a free port, throwaway
# host and user keys). Wine cannot wait for a Linux program, so a bridge (a Windows program under the client's
# name) runs each client: psftp.exe and sftp.exe beside a copy of Kolvex.exe, scp.exe on WINEPATH. A profile is
# seeded in the registry, the picture opened, Ctrl+Shift+U and Return pressed; the remote file must equal what
# the bridge was handed, pixel for pixel the picture. Hostile values must be refused or arrive literally, and
# none may run a command. Quitting during an upload leaves no password file. Then the failure cases, as window
# tests, and a changed host key. Nothing may appear under ~/.ssh or ~/.putty. Needs root (sshd, the small disk).
# Usage: sftp_upload_test.sh <Kolvex.exe>; the window tests program and the bridge lie next to it.
set -euo pipefail
E2E_NAME=sftp_upload
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

exe=${1:?usage: $0 <Kolvex.exe>}
build=$(cd "$(dirname "$exe")" && pwd)
tests_exe=$build/kolvex_window_tests.exe
bridge=$build/kolvex_sftp_bridge.exe
fake=$build/kolvex_fake_sftp_client.exe
[[ -f $tests_exe && -f $bridge && -f $fake ]] || fail "no window tests program, bridge or fake client in $build"
[[ $(id -u) -eq 0 ]] || fail "sshd and the small disk need root"
for p in /usr/sbin/sshd /usr/bin/sftp /usr/bin/scp /usr/bin/psftp /usr/bin/puttygen; do
    [[ -x $p ]] || fail "$p is missing (openssh-server, openssh-client, putty-tools)"
done
shots="$E2E_OUT/$E2E_NAME"
rm -f "$E2E_OUT/$E2E_NAME.log" "$shots"-*.png

# The user's SSH and PuTTY folders, names, sizes and times: compared at the end.
home_state() {
    local d
    for d in "$HOME/.ssh" "$HOME/.putty" /root/.ssh /root/.putty; do
        if [[ -e $d ]]; then find "$d" -printf '%p %s %T@\n' | sort; else echo "$d missing"; fi
    done
}
home_before=$(home_state)

e2e_make_temp_dir
T=$E2E_TMP
R=$T/remote
cfg=$T/cfg
marker=$T/marker
mkdir -p "$R/psftp" "$R/with blank" "$R/scp" "$R/Фото" "$R/full" "$cfg" "$cfg-nohostkey" "$T/putty" "$T/app" \
    "$T/winpath" /run/sshd
ssh-keygen -q -t ed25519 -N '' -C '' -f "$T/id_test"
ssh-keygen -q -t ed25519 -N '' -C '' -f "$T/id_wrong"
cp "$T/id_test.pub" "$T/authorized_keys"
PUTTYDIR=$T/putty puttygen "$T/id_test" -O private -o "$T/id_test.ppk"

free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
PORT=$(free_port)
CLOSED_PORT=$(free_port)

SSHD_PID=
# start_sshd: a new host key each time, on 127.0.0.1:$PORT only; waits until it answers.
start_sshd() {
    local i
    rm -f "$T/hostkey" "$T/hostkey.pub"
    ssh-keygen -q -t ed25519 -N '' -C '' -f "$T/hostkey"
    cat >"$T/sshd_config" <<EOF
ListenAddress 127.0.0.1
HostKey $T/hostkey
PidFile $T/sshd.pid
AuthorizedKeysFile $T/authorized_keys
StrictModes no
UsePAM no
PasswordAuthentication no
KbdInteractiveAuthentication no
PermitRootLogin prohibit-password
Subsystem sftp internal-sftp
EOF
    /usr/sbin/sshd -D -e -f "$T/sshd_config" -p "$PORT" >>"$E2E_OUT/$E2E_NAME-sshd.log" 2>&1 &
    SSHD_PID=$!
    E2E_PIDS+=("$SSHD_PID")
    for ((i = 0; i < 50; i++)); do
        (exec 3<>"/dev/tcp/127.0.0.1/$PORT") 2>/dev/null && return 0
        kill -0 "$SSHD_PID" 2>/dev/null || fail "sshd did not start (see $E2E_OUT/$E2E_NAME-sshd.log)"
        sleep 0.1
    done
    fail "sshd does not answer on port $PORT"
}
stop_sshd() {
    kolvex_kill_pid "$SSHD_PID"
    E2E_PIDS=()
}
start_sshd

# The bridge keeps the clients off the machine's SSH set-up: no configuration, no agent, known hosts and PuTTY's
# files in the test folder. psftp gets the host key, as -batch refuses an unknown one.
openssh_options=(-F /dev/null -o "UserKnownHostsFile=$T/known_hosts" -o GlobalKnownHostsFile=/dev/null
    -o IdentitiesOnly=yes -o IdentityAgent=none)
printf '%s\n' "${openssh_options[@]}" >"$cfg/extra_sftp"
printf '%s\n' "${openssh_options[@]}" >"$cfg/extra_scp"
printf '%s\n' -hostkey "$(ssh-keygen -lf "$T/hostkey.pub" -E sha256 | awk '{print $2}')" >"$cfg/extra_psftp"
: >"$cfg-nohostkey/extra_psftp"
for c in "$cfg" "$cfg-nohostkey"; do echo "$T/putty" >"$c/puttydir"; done
export KOLVEX_BRIDGE_CONFIG
KOLVEX_BRIDGE_CONFIG=$(win_path "$cfg")

cp "$exe" "$T/app/Kolvex.exe"
# For the fake client of the last step; the bridge takes no notice.
FAKE_SLEEP_S=3
export KOLVEX_FAKE_MODE="sleep:$((FAKE_SLEEP_S * 1000))" KOLVEX_FAKE_VERSION=0.78
cp "$bridge" "$T/winpath/scp.exe" # scp has no program-folder row: it is found on the search path
export WINEPATH
WINEPATH=$(win_path "$T/winpath")

# A picture with a pattern, so that any changed pixel shows.
pic=$T/shot.bmp
convert -size 64x48 gradient:'#ff0000-#0000ff' -fill '#00ff00' -draw 'rectangle 10,10 20,30' "BMP3:$pic"

# reg_sz <text>: a REG_SZ as hex(1), UTF-16 bytes, which carry any character, a line feed too.
reg_sz() {
    printf 'hex(1):%s00,00' "$(printf '%s' "$1" | iconv -t UTF-16LE | od -An -v -tx1 | tr -s ' \n' ',' | sed 's/^,//')"
}

# seed_profile <key file> <remote dir> [user] [password]: the only profile, active, with format PNG. Imported
# as a version 5 file, which is UTF-16.
seed_profile() {
    local reg=$T/profile.reg user=${3:-root} password=${4:-} key='HKEY_CURRENT_USER\Software\Kolvex\SFTP'
    {
        printf 'Windows Registry Editor Version 5.00\r\n\r\n[-%s]\r\n\r\n' "$key"
        printf '[%s]\r\n"ActiveProfile"="E2E"\r\n\r\n[%s\\Profiles\\E2E]\r\n' "$key" "$key"
        printf '"Host"="127.0.0.1"\r\n"Port"=dword:%08x\r\n"FormatIndex"=dword:00000000\r\n' "$PORT"
        printf '"Username"=%s\r\n"KeyPath"=%s\r\n"RemoteDir"=%s\r\n' "$(reg_sz "$user")" \
            "$(reg_sz "$(win_path "$1")")" "$(reg_sz "$2")"
        # A plain password, as an older version kept it: the program moves it to the protected form.
        [[ -z $password ]] || printf '"Password"=%s\r\n"RememberPassword"=dword:00000001\r\n' "$(reg_sz "$password")"
    } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$reg"
    (cd "$WINEPREFIX" && wine reg import "$reg") >/dev/null 2>&1 || fail "wine reg import failed"
}

# What the clients were given, kept for a look after the test.
keep_bridge_log() { cp "$cfg/log" "$E2E_OUT/$E2E_NAME-bridge.log" 2>/dev/null || true; }

runs() {
    local n
    n=$(grep -c '^--- ' "$cfg/log" 2>/dev/null) || true
    echo "${n:-0}"
}

# upload <label> <expected box title>: Ctrl+Shift+U, Return, waits for the result box and closes it (and the
# dialog, when the box was a refusal).
upload() {
    local label=$1 title=$2 dialog box
    keys_to "$XID" ctrl+shift+u
    dialog=$(wait_for_window '^Upload to SFTP Server$' 10) || fail "$label: no upload dialog"
    keys_to "$dialog" Return
    if ! box=$(wait_for_window "^$title\$" 20); then
        screenshot "$shots-$label.png"
        keep_bridge_log
        fail "$label: no '$title' box (see $shots-$label.png and $E2E_NAME-bridge.log)"
    fi
    keys_to "$box" Return
    wait_window_gone "^$title\$" 5 || fail "$label: the box stays"
    if [[ $title == "Input Required" ]]; then
        keys_to "$dialog" Escape
        wait_window_gone '^Upload to SFTP Server$' 5 || fail "$label: the dialog stays"
    fi
}

# expect_arrived <label> <remote file>: what the bridge was handed is on the server, and it is the picture.
expect_arrived() {
    [[ -f $2 ]] || fail "$1: nothing arrived at $2"
    cmp -s "$cfg/handed" "$2" || fail "$1: the remote file differs from what the client was handed"
    [[ $(pixels_differ "$pic" "$2") == 0 ]] || fail "$1: the uploaded picture differs from $pic"
    echo "$1: uploaded"
}

start_with_picture "$T/app/Kolvex.exe" "$shots-open.png" "$pic"

# psftp, with a remembered plain password from the old days: release 0.78 gets it through -pwfile. (The server
# takes keys only, so the password itself is not tried.)
cp "$bridge" "$T/app/psftp.exe"
seed_profile "$T/id_test.ppk" "$R/psftp" root "pw\$(touch $marker)\`touch $marker\`"
upload psftp "SFTP Upload Success"
expect_arrived psftp "$R/psftp/shot.png"
grep -qxF -- "pwfile: pw\$(touch $marker)\`touch $marker\`" "$cfg/log" || fail "psftp: the password file did not hold the password literally"
grep -q -- '^arg: -pw$' "$cfg/log" && fail "psftp: the password was on the command line"
rm "$T/app/psftp.exe"

# OpenSSH sftp into a folder with a blank: a new host is recorded in known_hosts.
cp "$bridge" "$T/app/sftp.exe"
seed_profile "$T/id_test" "$R/with blank"
upload sftp "SFTP Upload Success"
expect_arrived sftp "$R/with blank/shot.png"
grep -q "^\[127.0.0.1\]:$PORT " "$T/known_hosts" || fail "sftp: the host key was not recorded"

# Refused, before any client starts: the shell's command substitution, a line break and a local command (a
# value only the registry can hold), an option as the user.
before=$(runs)
seed_profile "$T/id_test" "\$(touch $marker)"
upload sftp-substitution "Input Required"
seed_profile "$T/id_test" "$R"$'\n'"!touch $marker"
upload sftp-line-break "Input Required"
seed_profile "$T/id_test" "$R" "-oProxyCommand=touch $marker"
upload sftp-proxy-command "Input Required"
[[ $(runs) == "$before" ]] || fail "a refused value started a client"
rm "$T/app/sftp.exe"

# scp from the search path, with the SFTP protocol; then the legacy protocol, whose remote shell reads the path.
seed_profile "$T/id_test" "$R/scp"
upload scp "SFTP Upload Success"
expect_arrived scp "$R/scp/shot.png"
printf '%s\n' -O "${openssh_options[@]}" >"$cfg/extra_scp"
before=$(runs)
seed_profile "$T/id_test" "$R/\$(touch $marker)"
upload scp-legacy-substitution "Input Required"
seed_profile "$T/id_test" "$R/with blank"
upload scp-legacy-blank "Input Required"
[[ $(runs) == "$before" ]] || fail "a refused value started scp"
seed_profile "$T/id_test" "$R/Фото"
upload scp-legacy "SFTP Upload Success"
expect_arrived scp-legacy "$R/Фото/shot.png"
printf '%s\n' "${openssh_options[@]}" >"$cfg/extra_scp"

keep_bridge_log
[[ ! -e $marker ]] || fail "a hostile value ran a command"

# Quitting during an upload lets the client finish; the password file goes with the program, the script and
# picture at the next start, once the client has ended. A slow fake psftp (release 0.78) stands in.
temp_dir=$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -iname temp -type d | head -n 1)
[[ -n $temp_dir ]] || fail "no temporary folder in the prefix"
cp "$fake" "$T/app/psftp.exe"
seed_profile "$T/id_test.ppk" "$R/psftp" root "secret"
keys_to "$XID" ctrl+shift+u
dialog=$(wait_for_window '^Upload to SFTP Server$' 10) || fail "quitting: no upload dialog"
keys_to "$dialog" Return
deadline=$(($(kolvex_now_ms) + 5000))
until compgen -G "$temp_dir/kolvex_sftp_*_pw.txt" >/dev/null; do
    (($(kolvex_now_ms) < deadline)) || fail "quitting: the upload did not start"
    sleep 0.05
done
close_unchanged "$XID"
! compgen -G "$temp_dir/kolvex_sftp_*_pw.txt" >/dev/null || fail "quitting: the password file outlived the program"
compgen -G "$temp_dir/kolvex_sftp_*_batch.txt" >/dev/null || fail "quitting: the script went before the client ended"
sleep "$FAKE_SLEEP_S" # the client finishes on its own
start_with_picture "$T/app/Kolvex.exe" "$shots-restart.png" "$pic"
leftovers=$(find "$WINEPREFIX/drive_c/users" -name 'kolvex_sftp_*' 2>/dev/null | head -n 5)
[[ -z $leftovers ]] || fail "temporary files left after a new start: $leftovers"
close_unchanged "$XID"

# The failures, with each client's words, from inside the program; then the server gets a new host key.
e2e_mount_small "$R/full" 64
export KOLVEX_SFTP_BIN KOLVEX_SFTP_PORT=$PORT KOLVEX_SFTP_CLOSED_PORT=$CLOSED_PORT KOLVEX_SFTP_KEY KOLVEX_SFTP_PPK \
    KOLVEX_SFTP_WRONG_KEY KOLVEX_SFTP_REMOTE=$R/scp KOLVEX_SFTP_FULL=$R/full KOLVEX_BRIDGE_CONFIG_NO_HOSTKEY
mkdir -p "$T/bin"
for c in psftp sftp; do cp "$bridge" "$T/bin/$c.exe"; done
KOLVEX_SFTP_BIN=$(win_path "$T/bin")
KOLVEX_SFTP_KEY=$(win_path "$T/id_test")
KOLVEX_SFTP_PPK=$(win_path "$T/id_test.ppk")
KOLVEX_SFTP_WRONG_KEY=$(win_path "$T/id_wrong")
KOLVEX_BRIDGE_CONFIG_NO_HOSTKEY=$(win_path "$cfg-nohostkey")
run_disabled_window_tests "$tests_exe" "$E2E_OUT/$E2E_NAME-failures.log" 'SftpRealClient.DISABLED_Failures*' 1
stop_sshd
start_sshd
run_disabled_window_tests "$tests_exe" "$E2E_OUT/$E2E_NAME-host-key.log" 'SftpRealClient.DISABLED_AChangedHostKey*' 1
stop_sshd

[[ ! -e $marker ]] || fail "a hostile value ran a command"
[[ $(home_state) == "$home_before" ]] || fail "~/.ssh or ~/.putty changed: $(diff <(echo "$home_before") <(home_state))"
echo "PASS: psftp $(psftp -V | awk '/Release/ {print $3}'), $(ssh -V 2>&1 | cut -d, -f1) sftp and scp uploaded; hostile values refused or literal; failures in the clients' words"
