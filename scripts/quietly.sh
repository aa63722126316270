#!/bin/sh
# Runs a command with its output in a log file. Prints one line when it
# succeeds; when it fails, prints what went wrong (the whole log when short,
# otherwise the error lines and the end of the log) and fails with it.
# Usage: quietly.sh LABEL LOGFILE COMMAND [ARG...]
set -u

label=$1
log=$2
shift 2

mkdir -p "$(dirname "$log")"
"$@" >"$log" 2>&1
status=$?
if [ "$status" -eq 0 ]; then
    echo "  $label: ok"
    exit 0
fi

echo "" >&2
echo "=== $label FAILED (exit $status); full log: $log" >&2
if [ "$(wc -l <"$log")" -le 300 ]; then
    cat "$log" >&2
else
    grep -n -E -A6 '(error|Error|ERROR|FAILED|Failed|undefined reference|No such file)' "$log" | head -n 200 >&2
    echo "--- last lines ---" >&2
    tail -n 40 "$log" >&2
fi
echo "=== $label FAILED" >&2
exit "$status"
