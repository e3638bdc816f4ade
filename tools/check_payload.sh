#!/usr/bin/env bash
# Checks the vendor's payload before an installer is built from it: SMSServer\
# must hold every file of the launcher's class path (launcher/CommandLine.cpp),
# the main jar included, and GsmModemJar\ exactly the four support files
# (javaruntime/SupportFiles.h). The lists are read from those sources, so that
# the check follows the launcher. Names compare without regard to letter case,
# as Windows finds them. Names every missing or stray file and exits 1; exits 0
# for a complete payload.
# usage: tools/check_payload.sh PAYLOAD
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if (($# != 1)); then
    echo "usage: tools/check_payload.sh PAYLOAD" >&2
    exit 2
fi
payload=$1

# The class path's entries that are files: L"\\SMSServer\\lib\\comm.jar" gives
# SMSServer\lib\comm.jar; the bare SMSServer folder entry is no file.
mapfile -t class_path < <(sed -n 's/^ *{L"\\\\\(SMSServer\\\\[^"]*\.jar\)", L"[; ]"},$/\1/p' \
    "$root/launcher/CommandLine.cpp" | sed 's/\\\\/\\/g')
mapfile -t support < <(sed -n 's/^ *{L"\([^"\\]*\)", L"\\\\[^"]*"},$/\1/p' "$root/javaruntime/SupportFiles.h")
if ((${#class_path[@]} == 0 || ${#support[@]} != 4)); then
    echo "check_payload: the class path or the support files cannot be read from the sources" >&2
    exit 2
fi

lower() { tr '[:upper:]' '[:lower:]'; }
# Every file of the payload as Windows names it, lower case.
present=$(cd "$payload" 2>/dev/null && find SMSServer GsmModemJar -type f 2>/dev/null | tr / '\\' | lower) || true
missing=()
for file in "${class_path[@]}"; do
    grep -qxF -- "$(lower <<<"$file")" <<<"$present" || missing+=("$file")
done
for name in "${support[@]}"; do
    grep -qxF -- "$(lower <<<"GsmModemJar\\$name")" <<<"$present" || missing+=("GsmModemJar\\$name")
done
expected=$(printf 'gsmmodemjar\\%s\n' "${support[@]}" | lower)
stray=()
while IFS= read -r file; do
    [[ -z $file ]] || grep -qxF -- "$(lower <<<"$file")" <<<"$expected" || stray+=("$file")
done < <(cd "$payload" 2>/dev/null && find GsmModemJar -mindepth 1 2>/dev/null | LC_ALL=C sort | tr / '\\')

if ((${#missing[@]} || ${#stray[@]})); then
    echo "check_payload: the payload $payload is not complete." >&2
    for file in "${missing[@]}"; do
        echo "missing: $file" >&2
    done
    for file in "${stray[@]}"; do
        echo "not a support file: $file" >&2
    done
    exit 1
fi
