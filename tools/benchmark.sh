#!/usr/bin/env bash
# Benchmark under Wine against bare floor programs (tools/benchmark.py, which says what it measures
# and which environment variables it reads). Run from anywhere on Debian 12, as root or with sudo
# for the installs.
set -euo pipefail
# Timings in the emulated machine (tests/wine/winesetup/guest.py) mean nothing: the benchmark runs
# natively, in the configurations this host runs (x64 alone where it runs no 32-bit code).
if [[ -n ${WL_GUEST:-} ]]; then
    echo "benchmark: not in the emulated machine, whose timings mean nothing: run it natively" >&2
    exit 2
fi
cd "$(dirname "${BASH_SOURCE[0]}")/.."
tools/install_deps.sh wine
exec /usr/bin/python3 tools/benchmark.py "$@"
