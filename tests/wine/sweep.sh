#!/usr/bin/env bash
# The long randomised sweep under Wine (test_sweep.py): RUNS runs in each configuration (20 unless
# given) from SEED (drawn unless given), side by side on the cores; pytest arguments after them.
# usage: tests/wine/sweep.sh [RUNS [SEED [PYTEST ARGS...]]]
cd "$(dirname "${BASH_SOURCE[0]}")/../.." || exit 2
exec /usr/bin/python3 -m pytest tests/wine/test_sweep.py -n "$(nproc)" --dist loadgroup \
    --sweep-runs "${1:-20}" ${2:+--sweep-seed "$2"} --sweep-shrink-seconds 1800 "${@:3}"
