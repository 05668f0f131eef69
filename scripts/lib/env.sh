# Shared machinery of the scripts: packages, a private Xvfb, the private Wine prefix and its server.
# Sourced, never run. Everything started here is recorded by pid and stopped by kolvex_cleanup.

KOLVEX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export KOLVEX_ROOT

KOLVEX_PACKAGES=(cmake g++ make g++-mingw-w64-i686 wine wine32:i386 xvfb xdotool imagemagick googletest
    libgtest-dev libbenchmark-dev fonts-wine fonts-liberation fonts-nanum x11-utils clang libclang-rt-14-dev python3
    clang-format xclip python3-pil openssh-server openssh-client putty-tools openssl)

# Bump when the prefix settings below change, so that old prefixes are rebuilt.
KOLVEX_PREFIX_VERSION=2

KOLVEX_XVFB_PID=
KOLVEX_WINESERVER_PID=
KOLVEX_CHILD_PID=

kolvex_log() { printf '[kolvex] %s\n' "$*" >&2; }
kolvex_die() { printf '[kolvex] error: %s\n' "$*" >&2; exit 1; }

# Quiet, no-proxy environment for every Wine process: WinINet honours http_proxy, which would
# send the tests' loopback requests elsewhere.
kolvex_export_wine_env() {
    export WINEPREFIX="$KOLVEX_ROOT/build/wineprefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    unset http_proxy HTTP_PROXY https_proxy HTTPS_PROXY
    export no_proxy=127.0.0.1,localhost NO_PROXY=127.0.0.1,localhost
}

kolvex_install_missing() {
    local missing=() p need_update=0
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        [[ $(id -u) -eq 0 ]] || kolvex_die "the i386 architecture is not enabled; run as root"
        dpkg --add-architecture i386
        need_update=1
    fi
    for p in "${KOLVEX_PACKAGES[@]}"; do
        [[ $(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null) == ii* ]] || missing+=("$p")
    done
    ((${#missing[@]})) || return 0
    [[ $(id -u) -eq 0 ]] || kolvex_die "missing packages (run as root to install): ${missing[*]}"
    kolvex_log "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    # A stale or empty package list is the usual state of a fresh machine, so update whenever installing.
    apt-get update -q || [[ $need_update -eq 0 ]] || kolvex_die "apt-get update failed"
    kolvex_apt_install "${missing[@]}"
    if [[ " ${missing[*]} " == *" openssh-server "* ]] && ! kolvex_port_22_free; then
        kolvex_die "something listens on port 22 after installing openssh-server; the tests start their own sshd" \
            "on 127.0.0.1 and need no system one: stop it (and keep it from starting) before running them"
    fi
}

# Installing openssh-server would start a system sshd on port 22. A policy that refuses every service start
# stands in for the call when the machine has none, and goes again afterwards.
kolvex_apt_install() {
    local policy=/usr/sbin/policy-rc.d ours=0 rc=0
    if [[ ! -e $policy ]]; then
        printf '#!/bin/sh\nexit 101\n' >"$policy" && chmod 755 "$policy" && ours=1
    fi
    apt-get install -y -q --no-install-recommends "$@" || rc=$?
    ((ours == 0)) || rm -f "$policy"
    return "$rc"
}

kolvex_port_22_free() {
    ! (exec 3<>/dev/tcp/127.0.0.1/22) 2>/dev/null
}

kolvex_display_works() {
    [[ -n ${DISPLAY:-} ]] && timeout 5 xdpyinfo -display "$DISPLAY" >/dev/null 2>&1
}

# Takes the first display with neither a socket nor a lock file; if another process grabs it in the
# meantime our Xvfb exits at once and the next one is tried.
kolvex_start_xvfb() {
    local n deadline
    for ((n = 90; n <= 199; n++)); do
        [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$KOLVEX_ROOT/build/xvfb.log" 2>&1 9>&- &
        KOLVEX_XVFB_PID=$!
        deadline=$((SECONDS + 15))
        while ((SECONDS < deadline)) && kill -0 "$KOLVEX_XVFB_PID" 2>/dev/null; do
            # The lock file names the server that answers; it must be ours, not one that won a race.
            if [[ $(tr -d ' ' 2>/dev/null <"/tmp/.X$n-lock") == "$KOLVEX_XVFB_PID" ]] &&
                timeout 5 xdpyinfo -display ":$n" >/dev/null 2>&1; then
                export DISPLAY=":$n"
                kolvex_log "Xvfb on $DISPLAY (pid $KOLVEX_XVFB_PID)"
                return 0
            fi
            sleep 0.1
        done
        kill "$KOLVEX_XVFB_PID" 2>/dev/null || true
        wait "$KOLVEX_XVFB_PID" 2>/dev/null || true
        KOLVEX_XVFB_PID=
    done
    kolvex_die "no free X display in :90..:199 (see build/xvfb.log)"
}

kolvex_start_wineserver() {
    wineserver -f -p 9>&- &
    KOLVEX_WINESERVER_PID=$!
    # Clients that come too early wait for this server (Wine retries while another holds the lock);
    # the short poll only keeps the first of them from paying for that.
    local dev ino deadline=$((SECONDS + 5)) sock
    read -r dev ino < <(stat -c '%D %i' "$WINEPREFIX")
    ino=$(printf '%x' "$ino")
    while ((SECONDS < deadline)); do
        kill -0 "$KOLVEX_WINESERVER_PID" 2>/dev/null || kolvex_die "wineserver exited (another server on this prefix?)"
        for sock in "/tmp/.wine-$(id -u)/server-$dev-$ino/socket" /tmp/wine-*/"server-$dev-$ino/socket"; do
            [[ -S $sock ]] && return 0
        done
        sleep 0.05
    done
}

kolvex_stop_wineserver() {
    [[ -n $KOLVEX_WINESERVER_PID ]] || return 0
    WINEPREFIX="$KOLVEX_ROOT/build/wineprefix" timeout 10 wineserver -k 2>/dev/null || true
    kolvex_kill_pid "$KOLVEX_WINESERVER_PID"
    KOLVEX_WINESERVER_PID=
}

# TERM, then KILL after 5 s; only the given pid, which must be our own child.
kolvex_kill_pid() {
    local pid=$1 i
    kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null || true; return 0; }
    kill "$pid" 2>/dev/null || true
    for ((i = 0; i < 50; i++)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null || true
}

# Registry settings that make Wine behave under Xvfb: a virtual desktop with Windows frames, no 2 s
# waits for a window manager (Managed=N), no crash dialog waiting for a click, real caption fonts.
kolvex_configure_prefix() {
    local key
    # `wine reg` runs a reg.exe of the current directory first, so run it from the prefix.
    (
        cd "$WINEPREFIX" || exit 1
        wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f &&
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1024x768 /f &&
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f &&
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
    ) >/dev/null || kolvex_die "wine reg add failed in $WINEPREFIX"
    cp /usr/share/wine/fonts/marlett.ttf /usr/share/wine/fonts/tahoma*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    # The faces the text tests draw with: a Latin family and a Korean one, from Debian's packages.
    cp /usr/share/fonts/truetype/liberation/LiberationSans-*.ttf /usr/share/fonts/truetype/nanum/NanumGothic.ttf \
        /usr/share/fonts/truetype/nanum/NanumGothicBold.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    # Only the server's exit is sure to write user.reg; check the values really arrived.
    kolvex_stop_wineserver
    for key in '"Desktop"="Default"' '"Default"="1024x768"' '"Managed"="N"' '"ShowCrashDialog"=dword:00000000'; do
        grep -qF "$key" "$WINEPREFIX/user.reg" || kolvex_die "prefix setting $key did not reach user.reg"
    done
}

kolvex_prefix_ready() {
    [[ $(cat "$WINEPREFIX/.kolvex-prefix" 2>/dev/null) == "$KOLVEX_PREFIX_VERSION" ]]
}

kolvex_prepare_prefix() {
    local start=$SECONDS
    if ! kolvex_prefix_ready; then
        kolvex_log "creating Wine prefix $WINEPREFIX"
        rm -rf "$WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        kolvex_start_wineserver
        wineboot -i >"$KOLVEX_ROOT/build/wineboot.log" 2>&1 9>&- || kolvex_die "wineboot -i failed (build/wineboot.log)"
        kolvex_configure_prefix
        echo "$KOLVEX_PREFIX_VERSION" >"$WINEPREFIX/.kolvex-prefix"
        kolvex_log "prefix created in $((SECONDS - start)) s"
    fi
    [[ -n $KOLVEX_WINESERVER_PID ]] || kolvex_start_wineserver
    kolvex_warm_up
}

# The first Wine process of a server starts the services and the desktop (explorer), which inherit
# its stdout and stderr and live as long as the server. Started by a test, they would hold ctest's
# or gtest discovery's pipes open until the timeout; started here they hold /dev/null, and each
# later program starts in well under a second.
kolvex_warm_up() {
    (cd "$WINEPREFIX" && wine reg query 'HKCU\Software\Wine\Explorer' </dev/null >/dev/null 2>&1 9>&-) ||
        kolvex_die "Wine does not start in $WINEPREFIX"
}

kolvex_cleanup() {
    local rc=$?
    trap - EXIT INT TERM
    kolvex_stop_child
    kolvex_stop_wineserver
    if [[ -n $KOLVEX_XVFB_PID ]]; then
        kolvex_kill_pid "$KOLVEX_XVFB_PID"
        KOLVEX_XVFB_PID=
    fi
    return $rc
}

# Serialises scripts that share build/wineprefix: two servers on one prefix interfere.
kolvex_lock_prefix() {
    mkdir -p "$KOLVEX_ROOT/build"
    exec 9>"$KOLVEX_ROOT/build/wineprefix.lock"
    if ! flock -n 9; then
        kolvex_log "waiting for another Kolvex script that uses build/wineprefix"
        flock -w 1800 9 || kolvex_die "build/wineprefix is still in use after 30 min"
    fi
}

# The whole private environment: own X display unless the current one is wanted and works,
# prepared prefix, persistent server. Cleanup runs on every way out of the calling script.
kolvex_env_up() {
    local use_current_display=${1:-no}
    trap kolvex_cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    kolvex_export_wine_env
    kolvex_lock_prefix
    if [[ $use_current_display == yes ]] && kolvex_display_works; then
        kolvex_log "using DISPLAY=$DISPLAY"
    else
        kolvex_start_xvfb
    fi
    kolvex_prepare_prefix
}

# Configures a tree on first use. Ninja when present; an existing tree keeps its generator.
kolvex_configure_tree() {
    local dir=$1
    shift
    # A configure that failed half-way leaves a cache but no build file: run it again.
    [[ -f $KOLVEX_ROOT/$dir/CMakeCache.txt && ( -f $KOLVEX_ROOT/$dir/build.ninja || -f $KOLVEX_ROOT/$dir/Makefile ) ]] &&
        return 0
    local gen=()
    command -v ninja >/dev/null && gen=(-G Ninja)
    cmake -S "$KOLVEX_ROOT" -B "$KOLVEX_ROOT/$dir" "${gen[@]}" "$@"
}

# Clang when present: it brings libFuzzer, so the tree then also builds the fuzz targets. A tree configured
# earlier with another compiler is configured afresh, as kolvex_configure_tree leaves an existing tree alone.
kolvex_build_native() {
    local compilers=() cache=$KOLVEX_ROOT/build/native/CMakeCache.txt
    if command -v clang++ >/dev/null; then
        compilers=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
        if [[ -f $cache ]] && ! grep -Eq '^CMAKE_CXX_COMPILER:[A-Z]+=(.*/)?clang\+\+$' "$cache"; then
            kolvex_log "build/native: switching to clang"
            rm -rf "$cache" "$KOLVEX_ROOT/build/native/CMakeFiles"
        fi
    fi
    kolvex_configure_tree build/native "${compilers[@]}" && cmake --build "$KOLVEX_ROOT/build/native" -j2
}

kolvex_build_windows() {
    kolvex_configure_tree build/windows -DCMAKE_TOOLCHAIN_FILE="$KOLVEX_ROOT/cmake/mingw-i686.cmake" &&
        cmake --build "$KOLVEX_ROOT/build/windows" -j2
}

# kolvex_run_child <command...>: runs it as its own process group and waits, so that INT and TERM
# reach the cleanup at once instead of after a long stage; the cleanup then stops that group.
kolvex_run_child() {
    local rc=0
    setsid "$@" &
    KOLVEX_CHILD_PID=$!
    wait "$KOLVEX_CHILD_PID" || rc=$?
    KOLVEX_CHILD_PID=
    return "$rc"
}

kolvex_stop_child() {
    local i
    [[ -n $KOLVEX_CHILD_PID ]] || return 0
    kill -TERM -- "-$KOLVEX_CHILD_PID" 2>/dev/null || true
    for ((i = 0; i < 50; i++)); do
        kill -0 -- "-$KOLVEX_CHILD_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL -- "-$KOLVEX_CHILD_PID" 2>/dev/null || true
    wait "$KOLVEX_CHILD_PID" 2>/dev/null || true
    KOLVEX_CHILD_PID=
}

kolvex_now_ms() { echo $(($(date +%s%N) / 1000000)); }

# kolvex_wait_window <title-regex> <timeout-s> [pid]: prints the X id of the first match; gives up
# early when the given process has exited.
kolvex_wait_window() {
    local regex=$1 deadline=$(($(kolvex_now_ms) + $2 * 1000)) pid=${3:-} ids
    while (($(kolvex_now_ms) < deadline)); do
        if ids=$(xdotool search --name "$regex" 2>/dev/null) && [[ -n $ids ]]; then
            head -n1 <<<"$ids"
            return 0
        fi
        [[ -z $pid ]] || kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# kolvex_wait_painted <png> <timeout-s>: screenshots until two in a row are identical and not all
# one colour; the last one stays in <png>.
kolvex_wait_painted() {
    local out=$1 deadline=$(($(kolvex_now_ms) + $2 * 1000)) prev="$1.prev.png"
    import -window root "$prev"
    while (($(kolvex_now_ms) < deadline)); do
        sleep 0.2
        import -window root "$out"
        if [[ $(compare -metric AE "$prev" "$out" null: 2>&1 || true) == 0 &&
            $(convert "$out" -format '%k' info:) -gt 1 ]]; then
            rm -f "$prev"
            return 0
        fi
        mv "$out" "$prev"
    done
    mv "$prev" "$out"
    return 1
}

# kolvex_wait_pid <pid> <timeout-s>: for a child of this shell; sets KOLVEX_WAIT_RC to its exit
# code, or returns 1 if it is still running at the deadline.
# shellcheck disable=SC2034  # KOLVEX_WAIT_RC is read by the callers
kolvex_wait_pid() {
    local pid=$1 deadline=$(($(kolvex_now_ms) + $2 * 1000))
    while kill -0 "$pid" 2>/dev/null; do
        (($(kolvex_now_ms) < deadline)) || return 1
        sleep 0.05
    done
    KOLVEX_WAIT_RC=0
    wait "$pid" || KOLVEX_WAIT_RC=$?
}
