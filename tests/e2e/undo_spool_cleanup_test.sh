#!/usr/bin/env bash
# Fills the whole picture often enough with real clicks that the undo history spools levels to the temporary
# folder, then closes with Alt+F4 and "No": the program must exit with 0 and leave no spool file or folder behind.
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

# A fill of the whole 640 x 480 picture changes all 80 of its 64 x 64 tiles: a level of 1,228,800 bytes and its
# tile list. 27 fit in 32 MiB; the newest level waits for its tiles until the next click, so 34 fills spool 6.
# The picture starts about 60 px right of and 50 px below the window's corner. The program starts with the
# Rectangle tool: choose Fill With Color, the tool box button at client (40, 40), the client area starting about
# 4 px right of and 42 px below the window's corner. Left clicks fill with red, right ones with white.
xdotool mousemove $((wx + 44)) $((wy + 82))
sleep 0.1
xdotool click 1
sleep 0.2
fills=34
for ((i = 0; i < fills; i++)); do
    xdotool mousemove $((wx + 300)) $((wy + 250))
    sleep 0.05
    xdotool click $((i % 2 == 0 ? 1 : 3))
    sleep 0.1
done
level=$((12 + 80 * 4 + 640 * 480 * 4))
want=$((fills - 1 - 27))
deadline=$((SECONDS + 10))
while (($(spool_files) < want)) && ((SECONDS < deadline)); do sleep 0.2; done
n=$(spool_files)
dirs=("$temp"/kolvex_undo_*)
echo "after $fills fills: $n spool files in ${dirs[*]}"
((${#dirs[@]} == 1)) && [[ -d ${dirs[0]} ]] || fail "no single spool folder kolvex_undo_<pid> in $temp"
((n >= want)) || fail "only $n spool files after $fills fills"
for f in "${dirs[0]}"/u_*.tmp; do
    size=$(stat -c %s "$f")
    ((size == level)) || fail "$f is $size bytes, expected $level"
done

close_declining_save "$xid"
left=$(find "$temp" -maxdepth 2 -path "$temp/kolvex_undo_*" 2>/dev/null | head -n 5)
[[ -z $left ]] || fail "left behind in the temporary folder: $left"
echo "PASS: $n levels spooled, and the spool folder went with the program (exit code 0)"
