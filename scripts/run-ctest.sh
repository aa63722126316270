#!/bin/sh
# Runs the tests registered in one build tree. Prints a one-line summary when
# all pass; on failure prints every failing test's output and the summary.
# Usage: run-ctest.sh LABEL BUILD_DIR [JOBS]
set -u

label=$1
dir=$2
jobs=${3:-2}
log="$dir/ctest.log"

# A hung test must not hang the whole run; this limit says nothing about speed.
# A tree that registered no tests has checked nothing: that fails the run.
ctest --test-dir "$dir" --output-on-failure --no-tests=error --timeout 900 -j "$jobs" >"$log" 2>&1
status=$?
if [ "$status" -eq 0 ]; then
    summary=$(grep -E 'tests passed' "$log" | tail -n 1)
    echo "  $label: ${summary:-ok}"
    exit 0
fi

echo "" >&2
echo "=== $label FAILED; full log: $log" >&2
grep -v -E '^ *([0-9]+/[0-9]+ Test +#[0-9]+: .* Passed |Start +[0-9]+: )' "$log" >&2
echo "=== $label FAILED" >&2
exit "$status"
