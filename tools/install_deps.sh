#!/usr/bin/env bash
# Installs what building and testing the launcher needs on Debian 12, when it is
# missing. Wine's 32-bit part needs the i386 architecture.
# usage: tools/install_deps.sh [wine]
#   wine: only what cross-building the launcher and running it under Wine and
#   Xvfb need (tools/demo.sh); without it also the unit tests' and checks' tools.
set -euo pipefail
packages=(
    cmake make
    g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 mingw-w64-tools
    wine wine64 wine32:i386 fonts-wine
    xvfb xauth xdotool x11-utils imagemagick python3-pil python3-pefile
)
case ${1:-all} in
all) packages+=(g++ clang clang-format clang-tidy libclang-rt-14-dev googletest libgtest-dev libgmock-dev) ;;
wine) ;;
*)
    echo "usage: tools/install_deps.sh [wine]" >&2
    exit 2
    ;;
esac
missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
    echo "install: everything is present"
    exit 0
fi
echo "install: ${missing[*]}"
sudo=""
[[ $(id -u) == 0 ]] || sudo=sudo
dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "install: done"
