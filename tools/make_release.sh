#!/usr/bin/env bash
# Builds the release with the mingw preset: the zip (CPack, cmake/Packaging.cmake),
# which holds exactly the launcher and its text for Windows users, and, when
# SMS_SERVER_PAYLOAD names the vendor's payload (a folder holding SMSServer\ and
# GsmModemJar\), the installer beside it (tools/build_installer.sh).
# With SIGN_CERT and SIGN_KEY (PEM files; SIGN_PASS optional) it signs the
# launcher, PrepareJava.exe, the uninstaller and the installer (tools/sign.sh).
# Every time in it, the zip's entries' and the signatures', is SOURCE_DATE_EPOCH,
# the last commit's time unless set, so that a release can be built again to
# the same bytes. Prints the zip's path, then the installer's, last.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=build/mingw
zip=$root/$build/DovernProfessionalSMSServer-1.00-win32.zip
payload=${SMS_SERVER_PAYLOAD:-}
signing=${SIGN_CERT:+yes}
if [[ -n $signing && -z ${SIGN_KEY:-} ]]; then
    echo "make_release: SIGN_CERT is set but SIGN_KEY is not" >&2
    exit 2
fi
if [[ -n $payload && ! -d $payload ]]; then
    echo "make_release: SMS_SERVER_PAYLOAD=$payload is not a folder" >&2
    exit 2
fi
# Before anything is built: an installer whose server cannot start is no release.
[[ -z $payload ]] || tools/check_payload.sh "$payload" || exit 1
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 1262304000)}
export SOURCE_DATE_EPOCH

targets=(DovernProfessionalSMSServer)
[[ -z $payload ]] || targets+=(PrepareJava)
cmake --preset mingw >/dev/null
# Linked anew, so that a file signed by an earlier release is never taken for
# a fresh one, nor an unsigned release given a signed one.
exes=()
for target in "${targets[@]}"; do
    exes+=("$build/$target.exe")
done
rm -f "${exes[@]}"
cmake --build --preset mingw --target "${targets[@]}"
if [[ -n $signing ]]; then
    tools/sign.sh "${exes[@]}"
    echo "signed: ${exes[*]}"
fi
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
if [[ -z $payload ]]; then
    echo "make_release: no SMS_SERVER_PAYLOAD (the vendor's SMSServer\\ and GsmModemJar\\), so no installer"
    echo "$zip"
    exit 0
fi
echo "$zip"
tools/build_installer.sh "$build" "$payload" "$root/$build"
