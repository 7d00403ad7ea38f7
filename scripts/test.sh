#!/usr/bin/env bash
# Builds the native, 64-bit and 32-bit Windows targets, the native tests under
# the sanitizers and the fuzz targets, and runs every test.
# Extra arguments go to ctest, e.g. scripts/test.sh -R FolderPart
set -euo pipefail
source "$(dirname "$0")/setup.sh"
cd "$LC_ROOT"

lc_setup
# The wineserver started below ends by itself 30 s after the last Wine test, so
# it may be gone by the end of the run: stopping it then is no failure.
trap 'lc_stop_started || true' EXIT

for preset in native native-asan fuzz win64 win32; do
    echo "== build $preset"
    [ -f "build/$preset/build.ninja" ] || cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

lc_wine_env "$LC_CACHE/wine-test"
lc_start_xvfb
lc_start_wineserver
export LC_WINE_READY=1

# One run over all test trees, so the output ends with one summary. The Wine
# tests come right after the native ones, while the wineserver started above is
# still there (without it each Wine test starts and waits out a server of its
# own, seconds each); the sanitizer tests and the short fuzz runs from the
# committed seeds come last.
printf 'subdirs("native" "win64" "native-asan" "fuzz")\n' > build/CTestTestfile.cmake
echo "== test"
ctest --test-dir build --output-on-failure --timeout 300 "$@"
