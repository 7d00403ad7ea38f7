#!/usr/bin/env bash
# Builds the native, 64-bit and 32-bit Windows targets, the native tests under
# the sanitizers and the fuzz targets, and runs every test.
# Extra arguments go to ctest, e.g. scripts/test.sh -R FolderPart
set -euo pipefail
source "$(dirname "$0")/setup.sh"
cd "$LC_ROOT"

lc_setup
trap lc_stop_started EXIT

for preset in native native-asan fuzz win64 win32; do
    echo "== build $preset"
    [ -f "build/$preset/build.ninja" ] || cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

lc_wine_env "$LC_CACHE/wine-test"
lc_start_xvfb
lc_start_wineserver
export LC_WINE_READY=1

# One run over all test trees, so the output ends with one summary. The fuzz
# tree's tests are short fuzz runs from the committed seeds. The Wine tests rely
# on the wineserver started above lasting the whole run.
printf 'subdirs("native" "native-asan" "fuzz" "win64")\n' > build/CTestTestfile.cmake
echo "== test"
ctest --test-dir build --output-on-failure --timeout 300 "$@"
