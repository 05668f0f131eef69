#!/usr/bin/env bash
# Real key presses choose tools: after each key the tool box shows that tool's button pressed (a
# checkerboard behind it) and every other button raised.
# Usage: tool_keys_test.sh <Kolvex.exe>
set -euo pipefail
E2E_NAME=tool_keys
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

exe=${1:?usage: $0 <Kolvex.exe>}
shots="$E2E_OUT/$E2E_NAME"
rm -f "$E2E_OUT/$E2E_NAME.log" "$shots"-*.png

start_and_locate "$exe" "$shots-0-start.png"
# The tool box sits at the main window's client origin; the picture's origin is at client (58, 2).
TBX=$((OX - 58))
TBY=$((OY - 2))

# white_in_strip <png> <tool>: white pixels in the 3-pixel strip left of the button's icon, where a pressed
# button shows its checkerboard and a raised one its plain face.
white_in_strip() {
    local k=$2
    local left=$((TBX + 3 + 25 * (k % 2))) top=$((TBY + 3 + 25 * (k / 2)))
    count_color "$1" ffffff "3x19+$((left + 2))+$((top + 3))"
}

# pressed_tools <png>: the tools whose button shows the checkerboard.
pressed_tools() {
    local k out=()
    for ((k = 0; k < 18; k++)); do
        (($(white_in_strip "$1" "$k") >= 20)) && out+=("$k")
    done
    echo "${out[*]:-none}"
}

[[ $(pressed_tools "$shots-0-start.png") == 12 ]] ||
    fail "at start the pressed buttons are '$(pressed_tools "$shots-0-start.png")', expected the rectangle (12)"

# key, then the tool it must choose: P pencil, L line, O ellipse, Shift+P path, W fuzzy select, E eraser.
step=1
for pair in "p 6" "l 10" "o 14" "shift+p 16" "w 17" "e 2"; do
    read -r key tool <<<"$pair"
    xdotool key "$key"
    shot="$shots-$step-$key.png"
    got=
    for ((i = 0; i < 25; i++)); do
        sleep 0.2
        screenshot "$shot"
        got=$(pressed_tools "$shot")
        [[ $got == "$tool" ]] && break
    done
    [[ $got == "$tool" ]] || fail "after '$key' the pressed buttons are '$got', expected $tool (see $shot)"
    echo "'$key' pressed button $tool"
    step=$((step + 1))
done

# Nothing was drawn, so the program closes without a question.
xdotool key alt+F4
rc=0
wait_exit "$KOLVEX_PID" 10 || rc=$?
((rc == 0)) || fail "the program did not exit cleanly after Alt+F4 (code $rc)"
echo "PASS: keys chose their tools"
