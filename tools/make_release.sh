#!/usr/bin/env bash
# Builds the launcher with the mingw preset and packs the release zip with CPack
# (cmake/Packaging.cmake). Prints the zip's path; fails unless the zip holds
# exactly the launcher and its text for Windows users.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=build/mingw
zip=$root/$build/DovernProfessionalSMSServer-1.00-win32.zip

cmake --preset mingw >/dev/null
cmake --build --preset mingw --target DovernProfessionalSMSServer
rm -f "$zip"
(cd "$build" && cpack)

expected=$'DovernProfessionalSMSServer.exe\nREADME-Windows.txt'
listed=$(unzip -Z1 "$zip" | LC_ALL=C sort)
if [ "$listed" != "$expected" ]; then
    echo "release zip must hold exactly:" >&2
    echo "$expected" >&2
    echo "but holds:" >&2
    echo "$listed" >&2
    exit 1
fi
echo "$zip"
