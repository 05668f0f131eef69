#!/usr/bin/env bash
# Selections drawn without msimg32: the window test that needs the library switched off, run with it switched off.
# Usage: no_msimg32_test.sh <Kolvex.exe>
set -euo pipefail
E2E_NAME=no_msimg32
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

exe=${1:?usage: $0 <Kolvex.exe>}
export WINEDLLOVERRIDES="mscoree,mshtml=;msimg32=d"
run_disabled_window_tests "$(dirname "$exe")/kolvex_window_tests.exe" "$E2E_OUT/$E2E_NAME.log" \
    'Selections.DISABLED_WithoutMsimg32SelectionsAreStillDrawn' 1
echo "PASS: without msimg32 a transparent and a free-form selection are drawn as they would stamp"
