#!/usr/bin/env bash
# The screen snip of Kolvex.exe with real input: /capture, the overlay mid-drag, a 200 x 100 capture saved
# through Save As and read by xclip, the three hot keys pressed while another program has the focus, F7, Esc
# held while the overlay or the other program has the focus, and a hot key another program holds. The other
# program (kolvex_snip_pattern) shows a picture whose pixels are all different: inside Wine's desktop foreign X
# windows capture as black.
# Usage: snip_test.sh <Kolvex.exe>
set -euo pipefail
E2E_NAME=snip
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

exe=${1:?usage: $0 <Kolvex.exe>}
helper=$(cd "$(dirname "$exe")" && pwd)/kolvex_snip_pattern.exe
shots="$E2E_OUT/$E2E_NAME"
rm -f "$E2E_OUT/$E2E_NAME".log "$E2E_OUT/$E2E_NAME"-helper-*.log "$shots"-*.png
e2e_make_temp_dir
dir=$E2E_TMP
HELPER_PID=
stop_helper() {
    [[ -z $HELPER_PID ]] || kill "$HELPER_PID" 2>/dev/null || true
    [[ -z $HELPER_PID ]] || wait "$HELPER_PID" 2>/dev/null || true
    HELPER_PID=
}
trap 'stop_helper; e2e_cleanup' EXIT

# The pattern (red = x, green = y, blue = x xor y) and the same dimmed as the overlay must show it.
HX=720 HY=500
make_pattern() { # <numerator of the scale> <file>
    python3 -c '
import sys
k = int(sys.argv[1])
sys.stdout.buffer.write(bytes(c * k // 255 for y in range(256) for x in range(256) for c in (x, y, x ^ y)))' "$1" |
        convert -size 256x256 -depth 8 rgb:- "BMP3:$2"
}
make_pattern 255 "$dir/pattern.bmp"
make_pattern 140 "$dir/dimmed.bmp"

# start_helper [grab]: the pattern at (HX, HY); sets HELPER_LOG.
start_helper() {
    stop_helper
    HELPER_LOG=$E2E_OUT/$E2E_NAME-helper-${1:-plain}.log
    (cd "$(dirname "$helper")" && exec wine "$helper" "$(win_path "$dir/pattern.bmp")" "$HX" "$HY" \
        "$(win_path "$dir/focus-request")" "$@") \
        >"$HELPER_LOG" 2>&1 &
    HELPER_PID=$!
    kolvex_wait_window '^Kolvex Snip Pattern$' 20 "$HELPER_PID" >/dev/null || fail "the pattern window did not appear"
    local i
    for ((i = 0; i < 50; i++)); do
        helper_said ready && return 0
        sleep 0.1
    done
    fail "the pattern program never got ready (see $HELPER_LOG)"
}

# helper_said <line>: the pattern program has written that line (its console ends lines with CR LF).
helper_said() { tr -d '\r' <"$HELPER_LOG" | grep -qx "$1"; }

# same_area <png> <WxH+X+Y on the screen> <reference> <X-HX> <Y-HY>: 0 differing pixels.
same_area() {
    local w=${2%%+*} rest=${2#*+}
    local x=${rest%%+*} y=${rest#*+}
    convert "$3" -crop "$w+$((x - HX))+$((y - HY))" +repage "$dir/ref.png"
    convert "$1" -crop "$2" +repage "$dir/got.png"
    [[ $(pixels_differ "$dir/got.png" "$dir/ref.png") == 0 ]]
}

# wait_overlay <what>, wait_no_overlay <what>
wait_overlay() { wait_for_window '^Kolvex Screen Snip$' 10 >/dev/null || fail "$1 started no snip"; }
wait_no_overlay() { wait_window_gone '^Kolvex Screen Snip$' 5 || fail "$1 did not end the snip"; }

# hold_escape: long enough for the 40 ms poll to see it.
hold_escape() {
    xdotool keydown Escape
    sleep 0.15
    xdotool keyup Escape
}

# helper_active: the pattern program's last word on its activation was "active".
helper_active() { tr -d '\r' <"$HELPER_LOG" | grep -E '^(in)?active$' | tail -n1 | grep -qx active; }

# focus_helper: a click on the pattern makes it the foreground window; the main window took it after a snip.
focus_helper() {
    local i
    xdotool mousemove $((HX + 200)) $((HY + 20))
    sleep 0.1
    xdotool click 1
    for ((i = 0; i < 40; i++)); do
        helper_active && return 0
        sleep 0.05
    done
    fail "a click did not make the pattern program active (see $HELPER_LOG)"
}

start_helper
kolvex_start "$exe" /capture
wait_overlay "/capture"
XID=$(wait_for_window ' - Kolvex$' 10) || fail "no main window"

# Mid-drag from (740, 560) to (940, 750): near the bottom edge, so the label goes above the rectangle.
x0=$((HX + 20)) y0=$((HY + 60))
xdotool mousemove "$x0" "$y0"
sleep 0.1
xdotool mousedown 1
sleep 0.05
for i in 1 2 3 4; do
    xdotool mousemove $((x0 + 50 * i)) $((y0 + 190 * i / 4))
    sleep 0.05
done
sleep 0.2
mid="$shots-1-mid-drag.png"
screenshot "$mid"
same_area "$mid" 197x187+741+561 "$dir/pattern.bmp" || fail "inside the rectangle is not the pattern at full brightness (see $mid)"
for strip in 256x36+720+500 18x256+720+500 35x256+941+500 256x6+720+750; do
    same_area "$mid" "$strip" "$dir/dimmed.bmp" || fail "$strip is not the pattern dimmed to c x 140 / 255 (see $mid)"
done
expect_colour "$mid" 0078d7 0 0 "the frame" "739 650" "740 650" "938 650" "939 650" "800 559" "800 560" "800 748" \
    "800 749"
expect_colour "$mid" 646464 0 0 "the label's outline" "740 536" "829 536" "740 555" "829 555"
expect_colour "$mid" 1e1e1e 0 0 "the label's box" "742 538" "827 553"
(($(count_color "$mid" ffffff 88x18+741+537) > 10)) || fail "the label above the rectangle has no text (see $mid)"
expect_colour "$mid" 0078d7 0 0 "the hint bar's outline" "322 16" "701 16" "322 43" "701 43"
expect_colour "$mid" 181818 0 0 "the hint bar" "324 18" "699 41"
(($(count_color "$mid" ffffff 378x26+323+17) > 100)) || fail "the hint bar has no text (see $mid)"
desktop=$(pixel_at "$mid" 1010 300)
expect_colour "$mid" "$desktop" 0 0 "the frozen desktop where the main window was" "400 300" "20 580"

# Shrunk to (940, 660): what the larger rectangle covered is dimmed again, and the label goes below.
for i in 1 2 3; do
    xdotool mousemove $((x0 + 200)) $((y0 + 190 - 30 * i))
    sleep 0.05
done
sleep 0.2
shrunk="$shots-2-shrunk.png"
screenshot "$shrunk"
for strip in 256x72+720+684 146x23+830+661; do
    same_area "$shrunk" "$strip" "$dir/dimmed.bmp" || fail "the shrunk drag left $strip painted (see $shrunk)"
done
expect_colour "$shrunk" 1e1e1e 0 0 "the label below the shrunk rectangle" "742 666" "827 681"
# The right button cancels in the middle of the drag; the blank page stays.
xdotool click 3
wait_no_overlay "the right button during the drag"
xdotool mouseup 1
wait_caption "$XID" "Untitled - Kolvex" 2 || fail "the cancelled drag changed the picture"
echo "mid-drag: pattern inside, dimmed outside, frame, the label above and below, the hint bar; right button cancels"

# F7, then a 200 x 100 snip: an untouched blank page becomes the capture.
keys_to "$XID" F7
wait_overlay "F7"
drag 1 "$x0" "$y0" $((x0 + 200)) $((y0 + 100)) 6
wait_no_overlay "the release"
convert "$dir/pattern.bmp" -crop 200x100+20+60 +repage "$dir/expected.png"
clip=$dir/clip.bmp
for ((i = 0; i < 40; i++)); do
    xclip -selection clipboard -t image/bmp -o >"$clip" 2>/dev/null && [[ $(pixels_differ "$clip" "$dir/expected.png") == 0 ]] &&
        break
    sleep 0.1
done
[[ $(pixels_differ "$clip" "$dir/expected.png") == 0 ]] || fail "xclip reads another picture than the capture (see $clip)"
wait_caption "$XID" "Untitled * - Kolvex" 5 || fail "the capture did not become the picture"
pic=$dir/snip.bmp
keys_to "$XID" ctrl+s
dialog=$(wait_for_window '^Save As$' 10) || fail "Ctrl+S on the untitled capture showed no Save As dialog"
xdotool windowfocus "$dialog" 2>/dev/null || true
xdotool type --delay 15 "$(win_path "$pic")"
xdotool key Return
wait_file_changed "$pic" missing 10 || fail "Save As wrote no $pic"
[[ $(identify -format '%wx%h' "$pic") == 200x100 ]] || fail "the saved capture is $(identify -format '%wx%h' "$pic")"
[[ $(pixels_differ "$pic" "$dir/expected.png") == 0 ]] || fail "the saved capture differs from the pattern (see $pic)"
caption="$(win_path "$pic") - Kolvex"
wait_caption "$XID" "$caption" 5 || fail "the caption does not name the saved file"
echo "capture: 200 x 100, the file and xclip's picture equal the pattern"

# The hot keys, pressed while the pattern program has the focus: only the hot key can start the snip there.
for key in super+shift+s ctrl+shift+x Print; do
    focus_helper
    xdotool key "$key"
    wait_overlay "the hot key $key"
    xdotool click 3
    wait_no_overlay "the right button after $key"
done
echo "hot keys: Win+Shift+S, Ctrl+Shift+X and Print Screen start the snip from another program"

keys_to "$XID" F7
wait_overlay "F7 again"
hold_escape
wait_no_overlay "Esc held with the overlay focused"
focus_helper
xdotool key Print
wait_overlay "Print Screen"
touch "$dir/focus-request" # the overlay covers the pattern program: it must take the foreground itself
for ((i = 0; i < 40; i++)); do
    helper_active && break
    sleep 0.05
done
helper_active || fail "the pattern program could not take the focus (see $HELPER_LOG)"
hold_escape
wait_no_overlay "Esc held with the pattern program focused"
helper_said 'key 27' || fail "Esc did not go to the pattern program (see $HELPER_LOG)"
wait_caption "$XID" "$caption" 1 || fail "a cancelled snip changed the picture"
echo "Esc held: the snip ends with the overlay or another program focused"
keys_to "$XID" alt+F4
wait_exit "$KOLVEX_PID" 10 || fail "the program did not close"

# A hot key another program holds: Kolvex starts without a word; the key reaches that program and starts
# nothing; once it is free, the key path of a focused Kolvex starts the snip.
start_helper grab
helper_said 'grabbed 1' || fail "the pattern program could not take Ctrl+Shift+X (see $HELPER_LOG)"
start_and_locate "$exe" "$shots-3-start.png"
! message_box 1 >/dev/null 2>&1 || fail "a message at start with Ctrl+Shift+X taken"
keys_to "$XID" ctrl+shift+x
for ((i = 0; i < 30; i++)); do
    helper_said released && break
    sleep 0.1
done
helper_said hotkey || fail "Ctrl+Shift+X did not reach the program holding it (see $HELPER_LOG)"
sleep 0.5
! xdotool search --name '^Kolvex Screen Snip$' >/dev/null 2>&1 || fail "a hot key held by another program snipped"
helper_said released || fail "the pattern program did not give Ctrl+Shift+X up"
keys_to "$XID" ctrl+shift+x
wait_overlay "Ctrl+Shift+X through the key path"
hold_escape
wait_no_overlay "Esc held"
close_unchanged "$XID"
echo "PASS: /capture, the overlay, a saved capture, hot keys, F7 and Esc with real input"
