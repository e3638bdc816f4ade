#!/usr/bin/env bash
# Builds the release with the mingw preset: the zip (CPack, cmake/Packaging.cmake),
# which holds exactly the launcher and its text for Windows users, and, when
# SMS_SERVER_PAYLOAD names the vendor's payload (a folder holding SMSServer\ and
# GsmModemJar\), the installer beside it (tools/build_installer.sh).
# With SIGN_CERT and SIGN_KEY (PEM files; SIGN_PASS optional) it signs the
# launcher, PrepareJava.exe, the uninstaller and the installer (tools/sign.sh),
# each signature timestamped by SIGN_TSA (an RFC 3161 service's URL) when set,
# and writes each signature, <file>.sig, into the folder signatures beside the
# zip and the installer. With SIGNATURES naming such a folder and no key it
# attaches those signatures instead, at the same steps, and so gives the signed
# release's bytes again. Every other time in it, the zip's entries' and the
# signing time, is SOURCE_DATE_EPOCH, the last commit's time unless set, so
# that a release can be built again to the same bytes. Prints the zip's path,
# then the installer's, last.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
# Named from where the release was started, used from the sources' folder.
for var in SIGN_CERT SIGN_KEY SIGNATURES; do
    [[ -z ${!var:-} ]] || export "$var=$(realpath -m "${!var}")"
done
cd "$root"
build=build/mingw
zip=$root/$build/DovernProfessionalSMSServer-1.00-win32.zip
payload=${SMS_SERVER_PAYLOAD:-}
signing=${SIGN_CERT:+yes}
if [[ -n $signing && -z ${SIGN_KEY:-} ]]; then
    echo "make_release: SIGN_CERT is set but SIGN_KEY is not" >&2
    exit 2
fi
if [[ -n ${SIGN_KEY:-} && -z $signing ]]; then
    echo "make_release: SIGN_KEY is set but SIGN_CERT is not" >&2
    exit 2
fi
if [[ -n $signing && -n ${SIGNATURES:-} ]]; then
    echo "make_release: SIGNATURES is for a release built again without the key: unset SIGN_CERT and SIGN_KEY" >&2
    exit 2
fi
if [[ -n ${SIGN_TSA:-} && -z $signing ]]; then
    echo "make_release: SIGN_TSA is set but there is no key (SIGN_CERT, SIGN_KEY) to sign with" >&2
    exit 2
fi
if [[ -n ${SIGNATURES:-} && ! -d $SIGNATURES ]]; then
    echo "make_release: SIGNATURES=$SIGNATURES is not a folder" >&2
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

# The signatures of this release only: none left from an earlier one. Those
# to attach are read from a copy, as they may be that very folder.
signatures=$root/$build/signatures
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
attach=${SIGNATURES:-}
if [[ -n $attach ]]; then
    cp -R "$attach" "$work/attach"
    export SIGNATURES=$work/attach
fi
rm -rf "$signatures"
if [[ -n $signing || -n ${SIGNATURES:-} ]]; then
    export SIGNATURES_OUT=$signatures
fi
if [[ -n ${SIGNATURES:-} ]]; then
    echo "make_release: attaching the signatures of $attach, not signing"
elif [[ -z $signing ]]; then
    echo "make_release: no SIGN_CERT and SIGN_KEY, so the release is unsigned"
elif [[ -z ${SIGN_TSA:-} ]]; then
    echo "make_release: no SIGN_TSA, so the signatures carry no timestamp and stop verifying when the certificate expires"
else
    echo "make_release: each signature timestamped by $SIGN_TSA"
fi

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
if [[ -n $signing || -n ${SIGNATURES:-} ]]; then
    tools/sign.sh "${exes[@]}"
    echo "${signing:+signed}${SIGNATURES:+attached}: ${exes[*]}"
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
