#!/usr/bin/env bash
# Benchmarks, each next to a reference measured in the same run (see README).
#   marking and writing a 100 MB page   vs   cp of the same bytes
set -euo pipefail
source "$(dirname "$0")/setup.sh"
cd "$LC_ROOT"
lc_setup
[ -f build/native/build.ninja ] || cmake --preset native >/dev/null
cmake --build --preset native --target page_bench >/dev/null

work=$(mktemp -d /var/tmp/lc-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
page=$work/page.html

# 100 MB of HTML-like lines with LF ends, a body tag near the top.
python3 - "$page" <<'PY'
import sys
line = b'<p>Leafcatch benchmark line with some text \x82\xa0\x82\xa2 and <a href="x">a link</a>.</p>\n'
with open(sys.argv[1], 'wb') as f:
    f.write(b'<html><head><title>bench</title></head><body>\n')
    f.write(line * (100_000_000 // len(line)))
    f.write(b'</body></html>\n')
PY
page_kib=$(( $(stat -c %s "$page") / 1024 ))
sync

# Median wall time in ms of five runs of a command.
median_ms() {
    local runs=() i t0 t1
    for i in 1 2 3 4 5; do
        rm -f "$work/copy.html"
        t0=$(date +%s%N); "$@" >/dev/null; t1=$(date +%s%N)
        runs+=($(( (t1 - t0) / 1000000 )))
    done
    printf '%s\n' "${runs[@]}" | sort -n | sed -n 3p
}
peak_kib() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1; }

bench() {
    LC_BENCH_PAGE=$page LC_BENCH_OUT=$work build/native/page_bench \
        --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
}
cp_ms=$(median_ms cp "$page" "$work/copy.html")
mark_ms=$(bench --benchmark_format=csv 2>/dev/null | awk -F, '/_median/ {printf "%.0f", $3}')
mark_peak=$(peak_kib env LC_BENCH_PAGE="$page" LC_BENCH_OUT="$work" build/native/page_bench \
    --benchmark_min_time=0.01)

echo "page size            : $page_kib KiB"
echo "cp (median of 5)     : $cp_ms ms"
echo "mark + write (median): $mark_ms ms, peak memory $mark_peak KiB"
