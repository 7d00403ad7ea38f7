#!/usr/bin/env bash
# Builds the fuzz preset and fuzzes one target, or each in turn, for a while.
#
#   scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]
#   scripts/fuzz.sh all SECONDS [libFuzzer options...]
#
# TARGET is one of the fuzz_* programs in tests/fuzz/. Each fuzzes from
# build/fuzz-work/TARGET/corpus, which keeps what earlier runs found and gets the
# committed seeds (tests/fuzz/corpus/TARGET/) copied in; the committed seeds are
# never written to. A crash, hang or leak stops the target and leaves the input
# in build/fuzz-work/TARGET/ (crash-*, timeout-*, leak-*, oom-*).
set -euo pipefail
source "$(dirname "$0")/setup.sh"
cd "$LC_ROOT"

TARGETS=(fuzz_http_message fuzz_url fuzz_settings fuzz_url_from_reply fuzz_page)

usage() {
    echo "usage: scripts/fuzz.sh TARGET|all SECONDS [libFuzzer options...]" >&2
    echo "targets: ${TARGETS[*]}" >&2
    exit 2
}

[ $# -ge 2 ] || usage
which=$1 seconds=$2
shift 2
[[ $seconds =~ ^[0-9]+$ ]] && [ "$seconds" -gt 0 ] || usage
if [ "$which" = all ]; then
    chosen=("${TARGETS[@]}")
elif [[ " ${TARGETS[*]} " == *" $which "* ]]; then
    chosen=("$which")
else
    usage
fi

lc_install_packages
[ -f build/fuzz/build.ninja ] || cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

failed=()
for target in "${chosen[@]}"; do
    work=build/fuzz-work/$target
    mkdir -p "$work/corpus"
    cp -p tests/fuzz/corpus/"$target"/* "$work/corpus/"
    echo "== $target: ${seconds} s from $work/corpus ($(ls "$work/corpus" | wc -l) inputs)"
    if ! (cd "$work" && "$LC_ROOT/build/fuzz/$target" -max_total_time="$seconds" -timeout=10 \
            -artifact_prefix=./ -print_final_stats=1 "$@" corpus); then
        failed+=("$target")
        echo "== $target failed; the input is in $work:" >&2
        ls -t "$work" | grep -E '^(crash|timeout|leak|oom|slow-unit)-' | head -5 | sed "s|^|   $work/|" >&2
        echo "   run it again with: build/fuzz/$target $work/<file>" >&2
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "== failed: ${failed[*]}" >&2
    exit 1
fi
echo "== no crash, hang or leak in ${chosen[*]}"
