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
