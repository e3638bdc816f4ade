#!/usr/bin/env bash
# Demo under Wine (tools/demo.py): builds the launcher, runs it once in a fresh prefix and prints
# what happens in order. Run from anywhere on Debian 12, as root or with sudo for the installs.
# usage: tools/demo.sh [win32|wow64|x64]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
tools/install_deps.sh wine
exec /usr/bin/python3 tools/demo.py "$@"
