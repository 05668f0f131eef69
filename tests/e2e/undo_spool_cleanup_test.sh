#!/usr/bin/env bash
# Draws enough pencil strokes with real input that the undo history spools levels to the temporary folder,
# then closes with Alt+F4 and "No": the program must exit with 0 and leave no spool file or folder behind.
# Usage: undo_spool_cleanup_test.sh <Kolvex.exe>
set -euo pipefail
E2E_NAME=undo_spool_cleanup
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

exe=${1:?usage: $0 <Kolvex.exe>}
rm -f "$E2E_OUT/$E2E_NAME.log"

# The Windows temporary folder as a Unix path. `wine cmd` would run a cmd.exe of the current directory
# first, so ask from the prefix.
win_temp=$(cd "$WINEPREFIX" && wine cmd /c echo %TEMP% </dev/null 2>/dev/null | tr -d '\r')
temp=$(cd "$WINEPREFIX" && winepath -u "$win_temp" 2>/dev/null)
[[ -n $temp && -d $temp ]] || fail "no temporary folder (TEMP is '$win_temp')"
rm -rf "$temp"/kolvex_undo_*

spool_files() { find "$temp" -path "$temp/kolvex_undo_*/u_*_*.tmp" -type f 2>/dev/null | wc -l; }

kolvex_start "$exe"
xid=$(wait_for_window ' - Kolvex$' 30) || fail "main window did not appear"
read -r wx wy _ _ < <(window_geometry "$xid") || fail "no geometry for window $xid"
wait_screen_stable "$E2E_OUT/$E2E_NAME-start.png" 10 || fail "the window did not finish painting"

# A 640 x 480 level is 1,228,800 bytes: 27 fit in 32 MiB, so the 28th stroke spools the oldest. The strokes
# lie well inside the picture, which starts about 60 px right of and 50 px below the window's corner.
# The program starts with the Rectangle tool: choose the pencil, the tool box button at client (15, 90), the
# client area starting about 4 px right of and 42 px below the window's corner (the button is 25 px square).
xdotool mousemove $((wx + 19)) $((wy + 132))
sleep 0.1
xdotool click 1
sleep 0.2
strokes=34
for ((i = 0; i < strokes; i++)); do
    drag 1 $((wx + 150)) $((wy + 120 + i * 8)) $((wx + 450)) $((wy + 125 + i * 8)) 2
done
deadline=$((SECONDS + 10))
while (($(spool_files) < strokes - 27 - 2)) && ((SECONDS < deadline)); do sleep 0.2; done
n=$(spool_files)
dirs=("$temp"/kolvex_undo_*)
echo "after $strokes strokes: $n spool files in ${dirs[*]}"
((${#dirs[@]} == 1)) && [[ -d ${dirs[0]} ]] || fail "no single spool folder kolvex_undo_<pid> in $temp"
((n >= strokes - 27 - 2)) || fail "only $n spool files after $strokes strokes"
for f in "${dirs[0]}"/u_*.tmp; do
    size=$(stat -c %s "$f")
    ((size == 8 + 640 * 480 * 4)) || fail "$f is $size bytes, expected $((8 + 640 * 480 * 4))"
done

close_declining_save "$xid"
left=$(find "$temp" -maxdepth 2 -path "$temp/kolvex_undo_*" 2>/dev/null | head -n 5)
[[ -z $left ]] || fail "left behind in the temporary folder: $left"
echo "PASS: $n levels spooled, and the spool folder went with the program (exit code 0)"
