#!/usr/bin/env bash
# Benchmark under Wine against bare floor programs (tools/benchmark.py, which says what it measures
# and which environment variables it reads). Run from anywhere on Debian 12, as root or with sudo
# for the installs.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
tools/install_deps.sh wine
exec /usr/bin/python3 tools/benchmark.py "$@"
