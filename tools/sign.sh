#!/usr/bin/env bash
# Signs Windows executables in place with osslsigncode (Authenticode, SHA-256),
# with the certificate SIGN_CERT and the key SIGN_KEY (PEM files; SIGN_PASS is
# the key's password, if it has one). The signing time is SOURCE_DATE_EPOCH
# (the last commit's time unless set), so that the same files and key give the
# same signed bytes; no time-stamping authority is asked, as its answer could
# never be reproduced.
# usage: tools/sign.sh FILE...
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [[ -z ${SIGN_CERT:-} || -z ${SIGN_KEY:-} ]]; then
    echo "sign: SIGN_CERT and SIGN_KEY must name the certificate and its key (PEM)" >&2
    exit 2
fi
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 1262304000)}
product=$(sed -n 's/^ *VALUE "ProductName", "\(.*\)"$/\1/p' "$root/launcher/resources/launcher.rc")
pass=()
# Through a file descriptor, so that the password shows in no process list.
[[ -z ${SIGN_PASS:-} ]] || pass=(-readpass /dev/fd/3)
for file in "$@"; do
    # A file signed before (a build folder signed by an earlier release) gets
    # its signature replaced, not a second one.
    if osslsigncode extract-signature -in "$file" -out /dev/null >/dev/null 2>&1; then
        osslsigncode remove-signature -in "$file" -out "$file.unsigned" >/dev/null
        mv "$file.unsigned" "$file"
    fi
    osslsigncode sign -certs "$SIGN_CERT" -key "$SIGN_KEY" "${pass[@]}" -n "$product" -h sha256 \
        -time "$epoch" -in "$file" -out "$file.signed" 3<<<"${SIGN_PASS:-}" >/dev/null || {
        rm -f "$file.signed"
        echo "sign: $file could not be signed" >&2
        exit 1
    }
    mv "$file.signed" "$file"
done
