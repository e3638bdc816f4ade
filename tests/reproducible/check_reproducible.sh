#!/usr/bin/env bash
# Builds the release twice (tools/make_release.sh), from clean copies of the
# sources in two different folders, with one stand-in payload: first signed
# with a throwaway code-signing certificate and timestamped by a throwaway
# time-stamping service of its own on 127.0.0.1, then without the key, from
# the first release's published signatures alone. Checks that the launcher,
# PrepareJava.exe, the uninstaller, the zip, the installer and the signatures
# are byte-identical: no linker or resource-compiler time stamps, no build
# paths, no file times in the installer, signing times from SOURCE_DATE_EPOCH,
# the timestamps carried by the signatures. Then checks every signature, the
# uninstaller's inside the installer too, with osslsigncode verify, as at a
# time after the certificate has expired: only a timestamp keeps it valid.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/repro.XXXXXX)
tsa_pid=""
stop() {
    [[ -z $tsa_pid ]] || kill "$tsa_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap stop EXIT

# The copies are no git work trees: the time of the sources' last commit is given.
SOURCE_DATE_EPOCH=$(git -C "$here" log -1 --format=%ct)
export SOURCE_DATE_EPOCH
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Dovern release check" \
    -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Dovern release check TSA" \
    -addext extendedKeyUsage=critical,timeStamping -keyout "$work/tsa-key.pem" \
    -out "$work/tsa-cert.pem" 2>/dev/null
echo 01 >"$work/tsa.serial"
cat >"$work/tsa.cnf" <<EOF
[ tsa ]
default_tsa = release_check
[ release_check ]
serial = $work/tsa.serial
crypto_device = builtin
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256, sha384, sha512
accuracy = secs:1
ordering = yes
tsa_name = yes
ess_cert_id_alg = sha256
EOF
# It stops by itself within the hour, should this script be killed before its trap.
/usr/bin/python3 "$here/tests/reproducible/tsa_server.py" "$work/tsa.cnf" "$work/tsa-key.pem" \
    "$work/tsa-cert.pem" "$work/tsa.port" 3600 &
tsa_pid=$!
for ((i = 0; i < 100; i++)); do
    if [[ -s $work/tsa.port ]] || ! kill -0 "$tsa_pid" 2>/dev/null; then
        break
    fi
    sleep 0.1
done
if [[ ! -s $work/tsa.port ]]; then
    echo "FAIL: the time-stamping service did not start within 10 s"
    exit 1
fi
tsa=http://127.0.0.1:$(cat "$work/tsa.port")

/usr/bin/python3 -c 'import sys; sys.path.insert(0, sys.argv[1])
from winesetup.installer import make_payload; make_payload(sys.argv[2], "1.00")' \
    "$here/tests/wine" "$work/payload"

# release FOLDER VAR=VALUE...: the release of a fresh copy of the sources in
# FOLDER, with only the signing variables given.
release() {
    local dir=$1
    shift
    mkdir -p "$dir/src"
    # The tracked sources plus any uncommitted changes to them.
    (cd "$here" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$dir/src")
    env -u SIGN_CERT -u SIGN_KEY -u SIGN_PASS -u SIGN_TSA -u SIGNATURES "$@" \
        SMS_SERVER_PAYLOAD="$work/payload" UNINSTALLER_COPIES="$dir/uninstallers" \
        timeout 1800 "$dir/src/tools/make_release.sh" >"$dir/release.log" 2>&1 || {
        cat "$dir/release.log"
        exit 1
    }
}

release "$work/first-tree" SIGN_CERT="$work/cert.pem" SIGN_KEY="$work/key.pem" SIGN_TSA="$tsa"
first=$work/first-tree/src/build/mingw
release "$work/second/other-tree" SIGNATURES="$first/signatures"
second=$work/second/other-tree/src/build/mingw
cp "$work/first-tree/uninstallers/"* "$first/"
cp "$work/second/other-tree/uninstallers/"* "$second/"
setup=$(basename "$(tail -n 1 "$work/first-tree/release.log")")
failed=0

signed=(DovernProfessionalSMSServer.exe PrepareJava.exe uninstall.exe "$setup")
published=$(cd "$first/signatures" && ls)
expected=$(printf '%s.sig\n' "${signed[@]}" | LC_ALL=C sort)
if [[ $published == "$expected" ]]; then
    echo "ok signatures: one per signed file, published in signatures/"
else
    echo "FAIL signatures: signatures/ must hold exactly:"
    echo "$expected"
    echo "but holds:"
    echo "$published"
    failed=1
fi

for file in "${signed[@]}" DovernProfessionalSMSServer-1.00-win32.zip "${signed[@]/%/.sig}"; do
    [[ $file == *.sig ]] && file=signatures/$file
    if cmp -s "$first/$file" "$second/$file"; then
        echo "ok reproducible: $file, $(stat -c %s "$first/$file") bytes ($(sha256sum "$first/$file" | cut -c1-16))"
    else
        echo "FAIL reproducible: the signed build and the one from its signatures differ in $file:"
        cmp -l "$first/$file" "$second/$file" | head -20 || true
        failed=1
    fi
done

# A signature is only ever attached to the file it was made for.
osslsigncode remove-signature -in "$first/PrepareJava.exe" -out "$work/other.exe" >/dev/null
cp "$work/other.exe" "$work/other-before.exe"
if SIGNATURES=$first/signatures "$here/tools/sign.sh" --as DovernProfessionalSMSServer.exe \
    "$work/other.exe" >/dev/null 2>&1 || ! cmp -s "$work/other.exe" "$work/other-before.exe"; then
    echo "FAIL attach: the launcher's signature was attached to another file"
    failed=1
else
    echo "ok attach: the launcher's signature is refused for another file"
fi

signing_time=$(date -u -d "@$SOURCE_DATE_EPOCH" '+%b %e %H:%M:%S %Y')
expired=$(($(date +%s) + 3 * 86400))
for file in "${signed[@]}"; do
    if ! out=$(osslsigncode verify -CAfile "$work/cert.pem" -TSA-CAfile "$work/tsa-cert.pem" \
        -time "$expired" -in "$first/$file" 2>&1); then
        echo "FAIL signature: $file does not verify once its certificate has expired:"
        echo "$out" | grep -i -E "timestamp|error|verification" || echo "$out" | tail -n 5
        failed=1
    elif ! grep -q "Timestamp Server Signature verification: ok" <<<"$out"; then
        echo "FAIL signature: $file carries no verified timestamp:"
        grep -i "timestamp" <<<"$out" || echo "(no timestamp)"
        failed=1
    elif ! grep -q "Signing time: $signing_time" <<<"$out"; then
        echo "FAIL signature: $file is not signed at SOURCE_DATE_EPOCH ($signing_time GMT):"
        grep -i "signing time" <<<"$out" || echo "(no signing time)"
        failed=1
    else
        echo "ok signature: $file verified, signed at $signing_time GMT, $(grep -m 1 "Timestamp time:" <<<"$out" | sed 's/^[[:space:]]*//')"
    fi
done
exit $failed
