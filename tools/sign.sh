#!/usr/bin/env bash
# Signs Windows executables in place with osslsigncode (Authenticode, SHA-256),
# with the certificate SIGN_CERT and the key SIGN_KEY (PEM files; SIGN_PASS is
# the key's password, if it has one). The signing time is SOURCE_DATE_EPOCH
# (the last commit's time unless set). With SIGN_TSA (the URL of an RFC 3161
# time-stamping service) every signature is also timestamped, so that it stays
# valid after the certificate expires.
# Without a key, SIGNATURES names a folder of signatures made before, one
# <name>.sig per file: each file gets its own attached instead, which gives the
# signed bytes again, timestamp included (a timestamp can never be asked for
# twice). A signature that does not match its file is refused.
# With SIGNATURES_OUT, each file's signature is then written there as <name>.sig.
# <name> is the file's own name, or NAME given with --as (makensis hands its
# uninstaller over under a temporary name).
# usage: tools/sign.sh [--as NAME] FILE...
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
usage() {
    echo "usage: tools/sign.sh [--as NAME] FILE..." >&2
    exit 2
}
name=""
if [[ ${1:-} == --as ]]; then
    (($# == 3)) || usage
    name=$2
    shift 2
fi
(($# > 0)) || usage
signatures=${SIGNATURES:-}
if [[ -n ${SIGN_CERT:-} || -n ${SIGN_KEY:-} ]]; then
    if [[ -z ${SIGN_CERT:-} || -z ${SIGN_KEY:-} ]]; then
        echo "sign: SIGN_CERT and SIGN_KEY must name the certificate and its key (PEM)" >&2
        exit 2
    fi
    if [[ -n $signatures ]]; then
        echo "sign: SIGNATURES is for attaching published signatures without a key, not with SIGN_KEY" >&2
        exit 2
    fi
elif [[ -z $signatures ]]; then
    echo "sign: SIGN_CERT and SIGN_KEY must name the certificate and its key (PEM)," \
        "or SIGNATURES a folder of signatures to attach" >&2
    exit 2
elif [[ ! -d $signatures ]]; then
    echo "sign: SIGNATURES=$signatures is not a folder" >&2
    exit 2
fi
if [[ -n ${SIGNATURES_OUT:-} ]]; then
    mkdir -p "$SIGNATURES_OUT"
fi
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 1262304000)}
product=$(sed -n 's/^ *VALUE "ProductName", "\(.*\)"$/\1/p' "$root/launcher/resources/launcher.rc")
pass=()
# Through a file descriptor, so that the password shows in no process list.
[[ -z ${SIGN_PASS:-} ]] || pass=(-readpass /dev/fd/3)
timestamp=()
[[ -z ${SIGN_TSA:-} ]] || timestamp=(-ts "$SIGN_TSA")

# The file's Authenticode digest as its signature states it and as computed
# from the file: the same when the signature belongs to these bytes.
digests_match() {
    local out
    out=$(osslsigncode verify -in "$1" 2>/dev/null || true)
    local stated computed
    stated=$(sed -n 's/^Current message digest *: *\([0-9A-Fa-f]\{1,\}\).*/\1/p' <<<"$out")
    computed=$(sed -n 's/^Calculated message digest *: *\([0-9A-Fa-f]\{1,\}\).*/\1/p' <<<"$out")
    [[ -n $stated && $(wc -l <<<"$stated") == 1 && $stated == "$computed" ]]
}

for file in "$@"; do
    base=${name:-$(basename "$file")}
    # A file signed before (a build folder signed by an earlier release) gets
    # its signature replaced, not a second one.
    if osslsigncode extract-signature -in "$file" -out /dev/null >/dev/null 2>&1; then
        osslsigncode remove-signature -in "$file" -out "$file.unsigned" >/dev/null
        mv "$file.unsigned" "$file"
    fi
    rm -f "$file.signed"
    if [[ -z $signatures ]]; then
        osslsigncode sign -certs "$SIGN_CERT" -key "$SIGN_KEY" "${pass[@]}" -n "$product" -h sha256 \
            -time "$epoch" "${timestamp[@]}" -in "$file" -out "$file.signed" 3<<<"${SIGN_PASS:-}" \
            >/dev/null || {
            rm -f "$file.signed"
            echo "sign: $file could not be signed${timestamp:+ and timestamped by $SIGN_TSA}" >&2
            exit 1
        }
    else
        sig=$signatures/$base.sig
        if [[ ! -f $sig ]]; then
            echo "sign: no signature $sig for $file" >&2
            exit 1
        fi
        # Its status also says whether the signer's chain is trusted here, which
        # is no matter for attaching: the digests are checked below instead.
        osslsigncode attach-signature -sigin "$sig" -in "$file" -out "$file.signed" >/dev/null 2>&1 || true
        if [[ ! -f $file.signed ]] || ! digests_match "$file.signed"; then
            rm -f "$file.signed"
            echo "sign: the signature $sig is not that of $file (another build or other sources)" >&2
            exit 1
        fi
    fi
    mv "$file.signed" "$file"
    if [[ -n ${SIGNATURES_OUT:-} ]]; then
        rm -f "$SIGNATURES_OUT/$base.sig.part"
        osslsigncode extract-signature -in "$file" -out "$SIGNATURES_OUT/$base.sig.part" >/dev/null
        mv "$SIGNATURES_OUT/$base.sig.part" "$SIGNATURES_OUT/$base.sig"
    fi
done
