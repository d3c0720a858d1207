#!/bin/sh
# Runs every fuzz target of a libFuzzer build for a while: `run-fuzz.sh BUILD_DIR SECONDS`.
# Each target's corpus grows in BUILD_DIR/corpus/<name>, starting from its seed folders; inputs
# that fail land in BUILD_DIR/crashes/<name>/ (keep them under tests/fuzz/regressions/<name>/).
set -eu
build=$1
seconds=${2:-60}
failed=""
for seeds in "$build"/tests/fuzz/*.seeds; do
    name=$(basename "$seeds" .seeds)
    corpus="$build/corpus/$name"
    crashes="$build/crashes/$name"
    mkdir -p "$corpus" "$crashes"
    echo "== $name: $seconds s"
    # shellcheck disable=SC2046
    if ! "$build/bin/fuzz_$name" -max_total_time="$seconds" -max_len=65536 -timeout=20 -rss_limit_mb=2560 \
        -print_final_stats=1 -artifact_prefix="$crashes/" "$corpus" $(cat "$seeds") 2> "$build/$name.log"; then
        failed="$failed $name"
        tail -n 40 "$build/$name.log"
    else
        grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$build/$name.log" || true
    fi
done
if [ -n "$failed" ]; then
    echo "Fuzz targets that failed:$failed (inputs in $build/crashes/)"
    exit 1
fi
echo "Every fuzz target ran $seconds s without a failure."
