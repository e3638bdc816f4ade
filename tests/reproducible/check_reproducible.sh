#!/usr/bin/env bash
# Builds the signed release twice (tools/make_release.sh), from clean copies of
# the sources in two different folders, with one stand-in payload and one
# throwaway code-signing certificate, and checks that the launcher,
# PrepareJava.exe, the zip and the installer are byte-identical: no linker or
# resource-compiler time stamps, no build paths, no file times in the
# installer, signing times from SOURCE_DATE_EPOCH. Then checks every signature
# of the first release, the uninstaller's inside the installer too, with
# osslsigncode verify against that certificate.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/repro.XXXXXX)
trap 'rm -rf "$work"' EXIT

# The copies are no git work trees: the time of the sources' last commit is given.
SOURCE_DATE_EPOCH=$(git -C "$here" log -1 --format=%ct)
export SOURCE_DATE_EPOCH
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Dovern release check" \
    -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
/usr/bin/python3 -c 'import sys; sys.path.insert(0, sys.argv[1])
from winesetup.installer import make_payload; make_payload(sys.argv[2], "1.00")' \
    "$here/tests/wine" "$work/payload"

release() {
    local dir=$1
    mkdir -p "$dir/src"
    # The tracked sources plus any uncommitted changes to them.
    (cd "$here" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$dir/src")
    SIGN_CERT=$work/cert.pem SIGN_KEY=$work/key.pem SMS_SERVER_PAYLOAD=$work/payload \
        UNINSTALLER_COPY=$dir/uninstall.exe "$dir/src/tools/make_release.sh" >"$dir/release.log" 2>&1 || {
        cat "$dir/release.log"
        exit 1
    }
}

release "$work/first-tree"
release "$work/second/other-tree"
first=$work/first-tree/src/build/mingw
second=$work/second/other-tree/src/build/mingw
setup=$(basename "$(tail -n 1 "$work/first-tree/release.log")")
failed=0
for file in DovernProfessionalSMSServer.exe PrepareJava.exe DovernProfessionalSMSServer-1.00-win32.zip "$setup"; do
    if cmp -s "$first/$file" "$second/$file"; then
        echo "ok reproducible: $file, $(stat -c %s "$first/$file") bytes ($(sha256sum "$first/$file" | cut -c1-16))"
    else
        echo "FAIL reproducible: two builds of $file differ:"
        cmp -l "$first/$file" "$second/$file" | head -20 || true
        failed=1
    fi
done

signing_time=$(date -u -d "@$SOURCE_DATE_EPOCH" '+%b %e %H:%M:%S %Y')
for path in "$first/DovernProfessionalSMSServer.exe" "$first/PrepareJava.exe" "$first/$setup" \
    "$work/first-tree/uninstall.exe"; do
    file=$(basename "$path")
    if ! out=$(osslsigncode verify -CAfile "$work/cert.pem" -in "$path" 2>&1); then
        echo "FAIL signature: $file:"
        echo "$out" | tail -n 5
        failed=1
    elif ! grep -q "Signing time: $signing_time" <<<"$out"; then
        echo "FAIL signature: $file is not signed at SOURCE_DATE_EPOCH ($signing_time GMT):"
        grep -i "signing time" <<<"$out" || echo "(no signing time)"
        failed=1
    else
        echo "ok signature: $file verified, signed at $signing_time GMT"
    fi
done
exit $failed
