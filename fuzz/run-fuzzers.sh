#!/bin/sh
# Runs each fuzz target for a bounded time and fails on the first fault.
#   fuzz/run-fuzzers.sh <build dir> <seconds per target>
# Each target starts from its committed seeds (fuzz/corpus/<target>) plus
# whatever earlier runs in this build dir found (<build dir>/corpus/<target>);
# a crash, leak, sanitizer report or hang leaves its input in
# <build dir>/artifacts/.
set -eu

BUILD=$1
SECONDS_EACH=$2
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(dirname "$HERE")

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:allocator_may_return_null=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$ROOT/tests/sanitizers/lsan.supp:print_suppressions=0}"

mkdir -p "$BUILD/artifacts"
for target in traffic_boundary host_boundary; do
    work="$BUILD/corpus/$target"
    mkdir -p "$work"
    log="$BUILD/$target.log"
    echo "fuzz $target for ${SECONDS_EACH}s (log: $log)"
    if ! "$BUILD/${target}_fuzzer" -max_total_time="$SECONDS_EACH" -timeout=60 -rss_limit_mb=3072 \
            -max_len=8192 -print_final_stats=1 -artifact_prefix="$BUILD/artifacts/$target-" \
            "$work" "$HERE/corpus/$target" > "$log" 2>&1; then
        tail -n 60 "$log"
        echo "fuzz $target: FAULT FOUND, input in $BUILD/artifacts/" >&2
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    cov=$(grep -E '^#[0-9]+.*(DONE|pulse|NEW|INITED)' "$log" | tail -n 1 | sed -n 's/.* cov: \([0-9]*\) ft: \([0-9]*\).*/cov \1, features \2/p')
    echo "fuzz $target: ${runs:-?} inputs run, $cov, no fault"
done
