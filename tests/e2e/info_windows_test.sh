#!/usr/bin/env bash
# The About window and the shortcuts reference through real keys: F1 and the Help menu open them, Enter is no
# dialog key there, Space on the focused button and a click on Close close them.
set -euo pipefail
E2E_NAME=info_windows
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

exe=${1:?usage: $0 <Kolvex.exe>}
shot=$E2E_OUT/$E2E_NAME.png
kolvex_start "$exe"
XID=$(wait_for_window ' - Kolvex$' 30) || fail "main window did not appear"
wait_screen_stable "$shot" 10 || fail "the window did not finish painting"

title='^Kolvex Keyboard Shortcuts Reference$'
keys_to "$XID" F1
ref=$(wait_for_window "$title" 10) || fail "F1 opened no shortcuts reference"
screenshot "$E2E_OUT/$E2E_NAME-reference.png"
keys_to "$ref" Return
sleep 0.3
xdotool search --name "$title" >/dev/null 2>&1 || fail "Enter closed the reference"
keys_to "$ref" space
wait_window_gone "$title" 5 || fail "Space on the focused Close button did not close the reference"

keys_to "$XID" F1
ref=$(wait_for_window "$title" 10) || fail "F1 opened no shortcuts reference the second time"
read -r x y w h < <(window_geometry "$ref") || fail "no geometry for the reference"
# Close lies at client 430,450, 95 x 26, inside a 3 px frame: its centre is 35 px above the bottom edge.
xdotool mousemove $((x + 3 + 430 + 47)) $((y + h - 35))
sleep 0.1
xdotool click 1
wait_window_gone "$title" 5 || fail "a click on Close did not close the reference"

keys_to "$XID" alt+h
sleep 0.3
xdotool key a
about=$(wait_for_window '^About Kolvex$' 10) || fail "Help > About opened nothing"
screenshot "$E2E_OUT/$E2E_NAME-about.png"
keys_to "$about" Return
sleep 0.3
xdotool search --name '^About Kolvex$' >/dev/null 2>&1 || fail "Enter closed About"
keys_to "$about" space
wait_window_gone '^About Kolvex$' 5 || fail "Space on the focused OK button did not close About"

close_unchanged "$XID"
echo "PASS: the shortcuts reference and About open from F1 and the Help menu and close by their buttons"
