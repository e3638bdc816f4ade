#!/usr/bin/env bash
# Installs what building and testing the launcher needs on Debian 12, when it is
# missing. Wine's 32-bit part needs the i386 architecture.
# usage: tools/install_deps.sh [wine|emulated]
#   wine: only what cross-building the launcher and its installer and running
#   them under Wine and Xvfb need (tools/demo.sh); without it also the unit
#   tests' and checks' tools and the release's (zip, signing).
#   emulated: what building and booting the emulated machine needs, for hosts
#   that run no 32-bit code (tests/wine/winesetup/guest.py).
# A mirror caught mid-sync can leave one package index broken (often the i386
# one of the security suite): the update then goes on without it, and when the
# two architectures' versions no longer match, the install is retried once
# with the release suite's versions.
set -euo pipefail
packages=(
    cmake make
    g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 mingw-w64-tools nsis
    wine wine64 wine32:i386 fonts-wine
    xvfb xauth xdotool x11-utils imagemagick python3-pil python3-pefile
    python3-pytest python3-pytest-xdist python3-hypothesis
)
case ${1:-all} in
all) packages+=(g++ clang clang-format clang-tidy libclang-rt-14-dev googletest libgtest-dev libgmock-dev
    black flake8 osslsigncode openssl unzip) ;;
wine) ;;
emulated) packages=(qemu-system-x86 qemu-utils debootstrap e2fsprogs) ;;
*)
    echo "usage: tools/install_deps.sh [wine|emulated]" >&2
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
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! $sudo apt-get update -qq -o Acquire::Retries=3 >"$log" 2>&1; then
    echo "install: some package indexes could not be fetched; going on without them:"
    grep '^E: Failed to fetch' "$log" | cut -c1-160 || cat "$log"
fi
install() {
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        -o Acquire::Retries=3 "$@" "${missing[@]}" >"$log" 2>&1
}
if ! install; then
    echo "install: the packages did not resolve:"
    grep '^E:' "$log" || tail -n 5 "$log"
    echo "install: retrying with the release suite's versions (-t bookworm)"
    install -t bookworm || {
        cat "$log"
        exit 1
    }
fi
echo "install: done"
