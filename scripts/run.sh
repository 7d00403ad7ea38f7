#!/usr/bin/env bash
# Builds the 64-bit program and runs it under Wine (a virtual desktop, Japanese locale).
# Without DISPLAY it runs on an Xvfb display of its own.
set -euo pipefail
source "$(dirname "$0")/setup.sh"
cd "$LC_ROOT"

lc_setup
trap lc_stop_started EXIT
[ -f build/win64/build.ninja ] || cmake --preset win64 >/dev/null
cmake --build --preset win64 --target Leafcatch

lc_wine_env "$LC_CACHE/wine-run"
lc_start_xvfb
lc_start_wineserver

# The settings file goes to the folder the program starts in.
data=${LC_DATA:-$LC_CACHE/data}
mkdir -p "$data"
cd "$data"
echo "Leafcatch runs; its settings file is $data/Leafcatch.ini"
status=0
$LC_WINE64 "$LC_ROOT/build/win64/Leafcatch.exe" || status=$?
echo "Leafcatch ended with status $status"
exit "$status"
