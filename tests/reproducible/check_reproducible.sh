#!/usr/bin/env bash
# Builds the launcher twice from clean copies of the sources in two different
# folders and checks that the two executables are byte-identical: no linker or
# resource-compiler time stamps, no build paths.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/repro.XXXXXX)
trap 'rm -rf "$work"' EXIT

build() {
    local dir=$1
    mkdir -p "$dir/src"
    # The tracked sources plus any uncommitted changes to them.
    (cd "$here" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$dir/src")
    cmake -S "$dir/src" -B "$dir/build" -DCMAKE_TOOLCHAIN_FILE="$dir/src/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
    cmake --build "$dir/build" --target DovernProfessionalSMSServer -j2 >/dev/null
}

build "$work/first-tree"
build "$work/second/other-tree"
a=$work/first-tree/build/DovernProfessionalSMSServer.exe
b=$work/second/other-tree/build/DovernProfessionalSMSServer.exe
if cmp -s "$a" "$b"; then
    echo "ok reproducible: two builds give the same $(stat -c %s "$a") bytes ($(sha256sum "$a" | cut -c1-16))"
else
    echo "FAIL reproducible: the two builds differ:"
    cmp -l "$a" "$b" | head -20
    exit 1
fi
