#!/usr/bin/env bash
# Runs every libFuzzer target for SECONDS_PER_TARGET seconds (default 20) on a
# working copy of its committed seed corpus, and fails if any of them crashes.
# A larger number makes the long run, e.g. tests/fuzz/run_fuzzers.sh 600
set -u

seconds=${1:-20}
case $seconds in
'' | *[!0-9]*)
    echo "usage: $0 [SECONDS_PER_TARGET]" >&2
    exit 2
    ;;
esac

root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root" || exit 2
build=build/fuzz
targets=(fuzz_registry_value fuzz_version_number fuzz_command_line)

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake --preset fuzz || exit 2
fi
cmake --build --preset fuzz || exit 2

failed=0
for target in "${targets[@]}"; do
    work=$build/corpus-work/$target
    artifacts=$build/artifacts/$target
    log=$build/corpus-work/$target.log
    # The committed seeds stay as they are; new inputs go to the working copy.
    rm -rf "$work"
    mkdir -p "$work" "$artifacts"
    cp tests/fuzz/corpus/"$target"/* "$work"/
    "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 \
        -artifact_prefix="$artifacts/" "$work" >"$log" 2>&1
    status=$?
    runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log" | tail -n 1)
    if [ "$status" -ne 0 ] || [ -z "$runs" ]; then
        failed=1
        echo "$target: FAILED (exit $status), log $log"
        grep -E '^(==[0-9]+==ERROR|SUMMARY)|Test unit written to' "$log" | sed 's/^/    /'
    else
        echo "$target: $runs runs in ${seconds} s"
    fi
done
exit $failed
