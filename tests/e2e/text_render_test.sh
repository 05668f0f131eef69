#!/usr/bin/env bash
# Text boxes committed by the program against the same text drawn by an independent renderer: the window tests
# commit each case through the program's routing and write the picture before and after, with the face, size,
# styles, colours, mode, rectangles and text; text_reference (built apart, nothing of the program linked) draws
# the same into the starting picture, and ImageMagick must find no pixel different.
# Usage: text_render_test.sh <Kolvex.exe>; the window tests program and text_reference lie next to it.
set -euo pipefail
E2E_NAME=text_render
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

exe=${1:?usage: $0 <Kolvex.exe>}
dir=$(dirname "$exe")
tests_exe="$dir/kolvex_window_tests.exe"
reference="$dir/text_reference.exe"
[[ -f $tests_exe && -f $reference ]] || fail "no window tests program or text_reference next to $exe"
rm -f "$E2E_OUT/$E2E_NAME"-*

# Two fallback faces would draw alike, so each face must really be there.
for face in "Liberation Sans" NanumGothic; do
    (cd "$dir" && wine "$reference" --has-face "$face") </dev/null || fail "the face '$face' is not installed in the prefix"
done

e2e_make_temp_dir
cases=$E2E_TMP/cases
mkdir -p "$cases"
KOLVEX_TEXT_CASES=$(win_path "$cases") run_disabled_window_tests "$tests_exe" "$E2E_OUT/$E2E_NAME-window-tests.log" \
    'DISABLED_TextRendering.*' 1

for name in latin_wrap bold_italic_underline opaque zoom_2 zoom_half hangul; do
    [[ -f $cases/$name.args ]] || fail "$name: the window test wrote no case"
    mapfile -t argv <"$cases/$name.args"
    (cd "$dir" && timeout 60 wine "$reference" "${argv[@]}") </dev/null || fail "$name: text_reference failed"
    differ=$(pixels_differ "$cases/$name-kolvex.bmp" "$cases/$name-ref.bmp")
    drawn=$(pixels_differ "$cases/$name-start.bmp" "$cases/$name-kolvex.bmp")
    echo "$name: $drawn pixels drawn by the commit, $differ different from the reference"
    if [[ $differ != 0 ]]; then
        for k in start kolvex ref; do convert "$cases/$name-$k.bmp" "$E2E_OUT/$E2E_NAME-$name-$k.png"; done
        fail "$name: $differ pixels differ from the reference (see $E2E_OUT/$E2E_NAME-$name-*.png)"
    fi
    [[ $drawn =~ ^[0-9]+$ ]] && ((drawn > 50)) || fail "$name: the commit drew $drawn pixels"
done
echo "PASS: every committed text equals the reference renderer's, pixel for pixel"
