# Helpers for the end-to-end tests, which drive Kolvex.exe from outside with real X input.
# Sourced by tests/e2e/*_test.sh. Expects DISPLAY and WINEPREFIX of a running private environment
# (scripts/test sets them up): a virtual desktop "Default" 1024x768 at +0+0, Managed=N.
#
# xdotool under Wine, as measured:
# * Screen coordinates given to xdotool are Wine screen coordinates (the desktop sits at +0+0).
# * Moves sent back to back are merged into one WM_MOUSEMOVE: sleep 0.05 between moves.
# * Move the pointer to the press position first, then mousedown, or the press lands where the
#   pointer was before.
# * Wine top-level windows are X children of the "Default - Wine desktop" window; xdotool search
#   finds them, but their X geometry is relative to that parent, so use xwininfo's absolute values.
# * Inside the desktop every key reaches Wine's foreground window wherever the pointer is;
#   `getactivewindow` does not work (no window manager).

set -euo pipefail

E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$E2E_ROOT/scripts/lib/env.sh"
E2E_OUT="$E2E_ROOT/build/e2e"
mkdir -p "$E2E_OUT"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset http_proxy HTTP_PROXY https_proxy HTTPS_PROXY
export no_proxy=127.0.0.1,localhost

KOLVEX_PID=
# What e2e_cleanup undoes after stopping the program: servers the test started (by pid), mounts (last first),
# then folders and files.
E2E_PIDS=()
E2E_MOUNTS=()
E2E_REMOVE=()

fail() {
    printf 'FAIL: %s\n' "$*" >&2
    exit 1
}

[[ -n ${DISPLAY:-} && -n ${WINEPREFIX:-} ]] || fail "DISPLAY and WINEPREFIX must be set (run through scripts/test)"

e2e_cleanup() {
    local rc=$? i
    if [[ -n $KOLVEX_PID ]] && kill -0 "$KOLVEX_PID" 2>/dev/null; then
        kill "$KOLVEX_PID" 2>/dev/null || true
        for ((i = 0; i < 30; i++)); do
            kill -0 "$KOLVEX_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$KOLVEX_PID" 2>/dev/null || true
    fi
    for i in "${E2E_PIDS[@]}"; do
        kolvex_kill_pid "$i"
    done
    for ((i = ${#E2E_MOUNTS[@]} - 1; i >= 0; i--)); do
        umount "${E2E_MOUNTS[i]}" 2>/dev/null || umount -l "${E2E_MOUNTS[i]}" 2>/dev/null || true
    done
    ((${#E2E_REMOVE[@]} == 0)) || rm -rf "${E2E_REMOVE[@]}"
    exit "$rc"
}
trap e2e_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# kolvex_start <exe> [args...]: the program's stdout and stderr go to build/e2e/<test>.log.
# KOLVEX_PID is the program itself: the wine launcher execs into it and passes on its exit code.
kolvex_start() {
    local exe=$1
    shift
    [[ -f $exe ]] || fail "no program at $exe"
    # From the program's own folder, as when started from Explorer.
    (cd "$(dirname "$exe")" && exec wine "$exe" "$@") >>"$E2E_OUT/${E2E_NAME:-e2e}.log" 2>&1 &
    KOLVEX_PID=$!
}

# wait_for_window <title-regex> <timeout-s>: prints the first matching X window id.
wait_for_window() {
    kolvex_wait_window "$1" "$2" "$KOLVEX_PID" && return 0
    echo "no window matching '$1' within $2 s (program running: $(kill -0 "$KOLVEX_PID" 2>/dev/null && echo yes || echo no))" >&2
    return 1
}

# window_geometry <xid>: prints "X Y W H", absolute screen position and outer size.
window_geometry() {
    xwininfo -id "$1" | awk '
        /Absolute upper-left X:/ { x = $NF }
        /Absolute upper-left Y:/ { y = $NF }
        /^ *Width:/ { w = $NF }
        /^ *Height:/ { h = $NF }
        END { if (w == "") exit 1; print x, y, w, h }'
}

screenshot() {
    import -display "$DISPLAY" -window root "$1"
}

# pixel_at <png> x y: prints rrggbb in lower-case hex.
pixel_at() {
    convert "$1" -format "%[hex:p{$2,$3}]" info: | cut -c1-6 | tr 'A-F' 'a-f'
}

# expect_colour <png> <rrggbb> <origin-x> <origin-y> <what> "x y"...: fails unless every point, taken from the
# origin, has exactly that colour.
expect_colour() {
    local png=$1 want=$2 ox=$3 oy=$4 what=$5 pt x y c
    shift 5
    for pt in "$@"; do
        read -r x y <<<"$pt"
        c=$(pixel_at "$png" $((ox + x)) $((oy + y)))
        [[ $c == "$want" ]] || fail "$what $x,$y is $c, expected $want (see $png)"
    done
}

# color_mask <png> <rrggbb> <WxH+X+Y>: prints the area as H lines of W characters, 1 where the
# pixel is exactly that colour, 0 elsewhere. Cheap enough to scan a whole window with awk.
color_mask() {
    local w=${3%%x*}
    convert "$1" -crop "$3" +repage -fill black +opaque "#$2" -fill white -opaque "#$2" \
        -compress none pbm:- | tail -n +3 | tr -d ' \n' | tr 01 10 | fold -w "$w"
    echo
}

# count_color <png> <rrggbb> <WxH+X+Y>: how many pixels of the area are exactly that colour.
count_color() {
    color_mask "$@" | tr -cd 1 | wc -c
}

# locate_picture <png> <wx> <wy> <ww> <wh>: prints "X Y RUN", the window-relative top-left corner of the
# picture and the length of its top white row, or "-1 -1 0". The picture is the topmost white area of the
# window at least 600 px wide and 100 rows high (the menu bar can be white too, but it is not that high).
locate_picture() {
    color_mask "$1" ffffff "${4}x$5+$2+$3" | awk '
        { rest = $0; off = 0
          while (match(rest, /1+/)) {
              if (RLENGTH >= 600) len[NR - 1, off + RSTART - 1] = RLENGTH
              off += RSTART + RLENGTH - 1; rest = substr(rest, RSTART + RLENGTH) } }
        END { for (y = 0; y < NR; y++) for (k in len) { split(k, yx, SUBSEP); if (yx[1] != y) continue
                  x = yx[2]; for (d = 1; d < 100 && ((y + d, x) in len); d++) ;
                  if (d == 100) { print x, y, len[y, x]; exit } }
              print -1, -1, 0 }'
}

# start_and_locate <exe> <shot> [args...]: starts the program, waits for its painted main window and sets
# XID, WX WY WW WH (its screen geometry) and OX OY (the screen position of picture pixel 0,0).
start_and_locate() {
    local exe=$1 shot=$2 px py run
    shift 2
    kolvex_start "$exe" "$@"
    XID=$(wait_for_window ' - Kolvex$' 30) || fail "main window did not appear"
    read -r WX WY WW WH < <(window_geometry "$XID") || fail "no geometry for window $XID"
    wait_screen_stable "$shot" 10 || fail "the window did not finish painting"
    read -r px py run < <(locate_picture "$shot" "$WX" "$WY" "$WW" "$WH")
    ((px >= 0)) || fail "no white picture in the window (see $shot)"
    OX=$((WX + px))
    OY=$((WY + py))
    PICTURE_DX=$px PICTURE_DY=$py
}

# wait_exit <pid> <timeout-s>: returns the process's exit code, or 124 if it is still running.
wait_exit() {
    kolvex_wait_pid "$1" "$2" || return 124
    [[ $1 == "$KOLVEX_PID" ]] && KOLVEX_PID=
    return "$KOLVEX_WAIT_RC"
}

# wait_screen_stable <png> <timeout-s>: screenshots until two in a row are identical and not all
# one colour, so that the program has finished painting. Leaves the last one in <png>.
wait_screen_stable() {
    kolvex_wait_painted "$1" "$2" && return 0
    echo "screen still changing after $2 s" >&2
    return 1
}

# drag <button> <x0> <y0> <x1> <y1> <steps>: screen coordinates; presses at the start, moves in
# equal steps with pauses so that each step arrives as its own WM_MOUSEMOVE, releases at the end.
drag() {
    local button=$1 x0=$2 y0=$3 x1=$4 y1=$5 steps=$6 i
    xdotool mousemove "$x0" "$y0"
    sleep 0.1
    xdotool mousedown "$button"
    sleep 0.05
    for ((i = 1; i <= steps; i++)); do
        xdotool mousemove $((x0 + (x1 - x0) * i / steps)) $((y0 + (y1 - y0) * i / steps))
        sleep 0.05
    done
    xdotool mouseup "$button"
    sleep 0.05
}

# Closes a modified picture with Alt+F4 and answers "No" to the save question; fails unless the program
# then exits with code 0 within 10 s. Usage: close_declining_save <xid> [screenshot of the question]
close_declining_save() {
    local xid=$1 shot=${2:-} question rc=0
    xdotool windowfocus "$xid" 2>/dev/null || true
    sleep 0.1
    xdotool key alt+F4
    question=$(wait_for_window '^Kolvex$' 10) || fail "no save question after Alt+F4 on a changed picture"
    [[ -z $shot ]] || screenshot "$shot"
    xdotool windowfocus "$question" 2>/dev/null || true
    xdotool key n
    wait_exit "$KOLVEX_PID" 10 || rc=$?
    ((rc != 124)) || fail "the program did not exit within 10 s of answering No"
    ((rc == 0)) || fail "the program exited with code $rc"
}

# For the tests of files: folders, mounts, captions and message boxes.

# e2e_make_temp_dir: sets E2E_TMP to a new folder under /tmp that goes when the script ends.
e2e_make_temp_dir() {
    E2E_TMP=$(mktemp -d "/tmp/kolvex_e2e_${E2E_NAME:-e2e}.XXXXXX")
    E2E_REMOVE+=("$E2E_TMP")
}

# win_path <unix path>: the same file as the program names it; the prefix maps Z: to the Unix root.
win_path() {
    local p=$1
    printf 'Z:%s' "${p//\//\\}"
}

# e2e_mount_small <dir> <KiB>: a file system of that size on dir, unmounted when the script ends. tmpfs where
# the sandbox allows it, else an ext2 image on a loop device. Needs root.
e2e_mount_small() {
    local dir=$1 kib=$2 image
    if mount -t tmpfs -o "size=${kib}k" tmpfs "$dir" 2>/dev/null; then
        E2E_MOUNTS+=("$dir")
        return 0
    fi
    image=$(mktemp "/tmp/kolvex_e2e_disk.XXXXXX")
    E2E_REMOVE+=("$image")
    truncate -s "${kib}K" "$image"
    mkfs.ext2 -q -F "$image" >/dev/null 2>&1 && mount -o loop "$image" "$dir" 2>/dev/null ||
        fail "neither a tmpfs nor a loop-mounted image of $kib KiB could be mounted on $dir"
    E2E_MOUNTS+=("$dir")
}

# e2e_unmount <dir>: unmounts one of the mounts above before the script ends.
e2e_unmount() {
    local i
    umount "$1" 2>/dev/null || umount -l "$1" 2>/dev/null || true
    for i in "${!E2E_MOUNTS[@]}"; do
        [[ ${E2E_MOUNTS[i]} == "$1" ]] && unset 'E2E_MOUNTS[i]'
    done
    E2E_MOUNTS=("${E2E_MOUNTS[@]}")
}

# file_state <path>: inode, size and modification time, or "missing". A save that replaces the file or
# rewrites it changes it.
file_state() {
    stat -c '%i %s %.9Y' "$1" 2>/dev/null || echo missing
}

# wait_file_changed <path> <state before> <timeout-s>
wait_file_changed() {
    local deadline=$(($(kolvex_now_ms) + $3 * 1000))
    while [[ $(file_state "$1") == "$2" ]]; do
        (($(kolvex_now_ms) < deadline)) || return 1
        sleep 0.05
    done
}

# temp_files_in <dir>: the save's temporary files left in dir, one a line.
temp_files_in() {
    find "$1" -name '*.kolvex~' 2>/dev/null
}

# wait_caption <xid> <caption> <timeout-s>: waits until the window has exactly that title; on a time-out
# prints the title it has.
wait_caption() {
    local deadline=$(($(kolvex_now_ms) + $3 * 1000)) now
    while :; do
        now=$(xdotool getwindowname "$1" 2>/dev/null || true)
        [[ $now == "$2" ]] && return 0
        (($(kolvex_now_ms) < deadline)) || break
        sleep 0.05
    done
    echo "caption is '$now', expected '$2'" >&2
    return 1
}

# keys_to <xid> <key>...: key presses for that window; Wine gives them to its foreground window.
keys_to() {
    local xid=$1
    shift
    xdotool windowfocus "$xid" 2>/dev/null || true
    xdotool key "$@"
}

# message_box <timeout-s>: prints the X id of the program's message box, the window called exactly "Kolvex"
# (the main window's title ends in " - Kolvex").
message_box() {
    wait_for_window '^Kolvex$' "$1"
}

# wait_window_gone <title-regex> <timeout-s>
wait_window_gone() {
    local deadline=$(($(kolvex_now_ms) + $2 * 1000))
    while xdotool search --name "$1" >/dev/null 2>&1; do
        (($(kolvex_now_ms) < deadline)) || return 1
        sleep 0.1
    done
}

# answer_message_box <key> [timeout-s]: answers the message box with a key (Return, n, y, Escape).
answer_message_box() {
    local box
    box=$(message_box "${2:-10}") || fail "no message box"
    keys_to "$box" "$1"
}

# Where the picture starts in the main window, once a white picture has shown it: the frame and the layout are
# the same at every start.
PICTURE_DX=
PICTURE_DY=

# start_with_picture <exe> <shot> <file>: starts the program on a picture given on the command line, waits until
# its caption names the file and the window is painted, and sets XID, WX WY WW WH and OX OY, the screen position
# of picture pixel (0, 0): -1 -1 unless an earlier start found it or this picture's top left is white for at
# least 600 x 100 pixels.
start_with_picture() {
    local exe=$1 shot=$2 file=$3 px py
    kolvex_start "$exe" "$(win_path "$file")"
    XID=$(wait_for_window ' - Kolvex$' 30) || fail "main window did not appear"
    wait_caption "$XID" "$(win_path "$file") - Kolvex" 20 || fail "the picture $file did not open"
    wait_screen_stable "$shot" 10 || fail "the window did not finish painting"
    read -r WX WY WW WH < <(window_geometry "$XID") || fail "no geometry for window $XID"
    OX=-1 OY=-1
    if [[ -z $PICTURE_DX ]]; then
        read -r px py _ < <(locate_picture "$shot" "$WX" "$WY" "$WW" "$WH")
        ((px < 0)) || PICTURE_DX=$px PICTURE_DY=$py
    fi
    [[ -z $PICTURE_DX ]] || OX=$((WX + PICTURE_DX)) OY=$((WY + PICTURE_DY))
}

# status_text_sig <png>: a checksum of the start of status part 0 in the main window at WX WY WW WH, for telling
# one text from another; "blank" while the bar shows no text.
status_text_sig() {
    local strip="240x16+$((WX + 6))+$((WY + WH - 21))"
    if (($(convert "$1" -crop "$strip" +repage -format '%k' info:) < 2)); then
        echo blank
    else
        convert "$1" -crop "$strip" +repage rgb:- | md5sum | cut -c1-32
    fi
}

# wait_status_message <png> <sig at start> <timeout-s>: waits until status part 0 shows a text other than the
# one it had at start, the same in two screenshots in a row.
wait_status_message() {
    local deadline=$(($(kolvex_now_ms) + $3 * 1000)) sig prev=
    while :; do
        screenshot "$1"
        sig=$(status_text_sig "$1")
        [[ $sig != blank && $sig != "$2" && $sig == "$prev" ]] && return 0
        (($(kolvex_now_ms) < deadline)) || return 1
        prev=$sig
        sleep 0.1
    done
}

# close_unchanged <xid>: Alt+F4 on a picture without changes; fails unless the program exits with 0 within
# 10 s, which it does not while a question waits for an answer.
close_unchanged() {
    local rc=0
    keys_to "$1" alt+F4
    wait_exit "$KOLVEX_PID" 10 || rc=$?
    ((rc != 124)) || fail "the program did not exit within 10 s of Alt+F4 (a question or message open?)"
    ((rc == 0)) || fail "the program exited with code $rc"
}

# bmp_layout <file>: "<header size> <bits per pixel> <compression>" of a BMP file.
bmp_layout() {
    local header bits compression=0
    header=$(od -An -tu4 -j14 -N4 "$1" | tr -d ' ')
    if ((header == 12)); then
        bits=$(od -An -tu2 -j24 -N2 "$1" | tr -d ' ')
    else
        bits=$(od -An -tu2 -j28 -N2 "$1" | tr -d ' ')
        compression=$(od -An -tu4 -j30 -N4 "$1" | tr -d ' ')
    fi
    echo "$header $bits $compression"
}

# pixels_differ <a> <b>: how many pixels ImageMagick finds different, or its message when the sizes differ.
pixels_differ() {
    compare -metric AE "$1" "$2" null: 2>&1 || true
}

# open_refused <exe> <shot> <file> <status_text_sig at start>: starts the program on a file it cannot open; fails
# unless it keeps its untitled picture and says so in status part 0, not in a message box. Closes it again.
open_refused() {
    local exe=$1 shot=$2 file=$3
    kolvex_start "$exe" "$(win_path "$file")"
    XID=$(wait_for_window ' - Kolvex$' 30) || fail "$file: main window did not appear"
    read -r WX WY WW WH < <(window_geometry "$XID") || fail "no geometry for window $XID"
    wait_status_message "$shot" "$4" 10 || fail "$file: the status bar shows no message (see $shot)"
    wait_caption "$XID" "Untitled - Kolvex" 0 || fail "$file: the file opened"
    ! xdotool search --name '^Kolvex$' >/dev/null 2>&1 || fail "$file: a message box instead of the status bar"
    close_unchanged "$XID"
}

# run_disabled_window_tests <tests exe> <log> <gtest filter> <count>: runs window tests that the normal run skips
# (named DISABLED_...) in the caller's environment; fails unless exactly <count> ran and all passed.
run_disabled_window_tests() {
    local tests_exe=$1 log=$2 filter=$3 count=$4 rc=0
    (cd "$(dirname "$tests_exe")" &&
        timeout 120 wine "$tests_exe" --gtest_filter="$filter" --gtest_also_run_disabled_tests) </dev/null >"$log" 2>&1 ||
        rc=$?
    grep -E '^\[ *(RUN|OK|FAILED|PASSED) *\]|Failure|Expected|Which is|actual' "$log" || true
    ((rc == 0)) || fail "window tests $filter failed (exit $rc, see $log)"
    grep -q "^\[  PASSED  \] $count tests\?\." "$log" || fail "window tests $filter: not $count run (see $log)"
}
