#!/usr/bin/env bash
# Benchmarks, each next to a reference measured in the same run; method and
# results in docs/benchmarks.md.
#   1. marking and writing a 100 MB page        vs  cp of the same bytes
#   2. FindFreePath with 999 names taken        vs  opening those 999 files in a loop
#   3. capturing a 50 MB page from loopback     vs  curl -s -o of the same address
#   4. start to the tool window's first paint   vs  an empty window program's start
set -euo pipefail
source "$(dirname "$0")/setup.sh"
cd "$LC_ROOT"
lc_setup
trap 'lc_stop_started; [ -n "${server_pid:-}" ] && kill "$server_pid" 2>/dev/null; rm -rf "$work"' EXIT
for preset in native win64; do
    [ -f "build/$preset/build.ninja" ] || cmake --preset "$preset" >/dev/null
done
cmake --build --preset native --target page_bench >/dev/null
cmake --build --preset win64 --target capture_bench start_bench empty_window Leafcatch >/dev/null

work=$(mktemp -d /var/tmp/lc-bench-XXXXXX)
measure() { /usr/bin/time -f '%e %M' "$@" 2>&1 >/dev/null | tail -1; }  # seconds, peak KiB
median() { sort -n | sed -n "$(( ($1 + 1) / 2 ))p"; }

# 1 and 2: native.
python3 - "$work/page.html" <<'PY'
import sys
line = b'<p>Leafcatch benchmark line with some text \x82\xa0\x82\xa2 and <a href="x">a link</a>.</p>\n'
with open(sys.argv[1], 'wb') as f:
    f.write(b'<html><head><title>bench</title></head><body>\n')
    f.write(line * (100_000_000 // len(line)))
    f.write(b'</body></html>\n')
PY
sync
cp_ms=$(for i in 1 2 3 4 5; do rm -f "$work/copy.html"; read -r s _ < <(measure cp "$work/page.html" "$work/copy.html")
        python3 -c "print(round($s*1000))"; done | median 5)
bench_csv=$(LC_BENCH_PAGE=$work/page.html LC_BENCH_OUT=$work build/native/page_bench --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null)
field() { echo "$bench_csv" | awk -F, -v name="$1" 'index($1, name) && /_median/ {gsub(/"/, "", $5); printf "%.2f", $3 / ($5 == "ns" ? 1e6 : 1)}'; }
read -r _ mark_peak < <(measure env LC_BENCH_PAGE="$work/page.html" LC_BENCH_OUT="$work" build/native/page_bench \
    --benchmark_filter=MarkAndWrite --benchmark_min_time=0.01)

# 3 and 4: under Wine, with a server on loopback.
lc_wine_env "$LC_CACHE/wine-bench"
lc_start_xvfb
lc_start_wineserver
python3 -c "
line=b'<p>Leafcatch benchmark line with some text and <a href=\"x\">a link</a>.</p>\n'
open('$work/page50.html','wb').write(b'<html><body>\n'+line*(50_000_000//len(line)))"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
(cd "$work" && exec python3 -m http.server "$port" --bind 127.0.0.1 >/dev/null 2>&1) &
server_pid=$!
url=http://127.0.0.1:$port/page50.html
until curl -s -o /dev/null "$url"; do sleep 0.1; done
mkdir -p "$work/saved"
saved_win="Z:$(echo "$work/saved/" | tr / '\\')"
curl_runs= capture_runs= curl_peak= wine_peak=
for i in 1 2 3 4 5; do
    read -r s curl_peak < <(measure curl -s -o "$work/curl.html" "$url")
    curl_runs+="$(python3 -c "print(round($s*1000))") "
    rm -f "$work"/saved/*
    ms=$($WINE build/win64/capture_bench.exe "$url" "$saved_win")
    capture_runs+="$ms "
done
rm -f "$work"/saved/*
read -r _ wine_peak < <(measure $WINE build/win64/capture_bench.exe "$url" "$saved_win")
curl_ms=$(printf '%s\n' $curl_runs | median 5)
capture_ms=$(printf '%s\n' $capture_runs | median 5)
win() { echo "Z:$(realpath "$1" | tr / '\\')"; }
start_ms=$($WINE build/win64/start_bench.exe "$(win build/win64/Leafcatch.exe)" 7)
empty_ms=$($WINE build/win64/start_bench.exe "$(win build/win64/empty_window.exe)" 7)

cat <<REPORT
| What | Leafcatch | Reference | Peak memory |
|---|---|---|---|
| mark and write a 100 MB page (in memory) | $(field MarkAndWrite) ms | cp: $cp_ms ms | $((mark_peak / 1024)) MiB, page $(( $(stat -c %s "$work/page.html") / 1048576 )) MiB |
| FindFreePath, 999 names taken | $(field FindFreePath999) ms | 999 opens in a loop: $(field Open999Files) ms | |
| capture a 50 MB page from loopback (Wine) | $capture_ms ms | curl -s -o: $curl_ms ms | $((wine_peak / 1024)) MiB (Wine process); curl $((curl_peak / 1024)) MiB |
| start to the tool window's first paint (Wine) | $start_ms ms | empty window program: $empty_ms ms | |
REPORT
