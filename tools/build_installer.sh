#!/usr/bin/env bash
# Builds the Windows installer (packaging/installer.nsi) with makensis from the
# launcher and PrepareJava.exe of a build folder and the vendor's payload: a
# folder holding SMSServer\ (the server's files) and GsmModemJar\ (the four
# support files). Signs the uninstaller inside it and the installer itself when
# SIGN_CERT and SIGN_KEY are set, or attaches their signatures from SIGNATURES
# (tools/sign.sh); UNINSTALLER_COPIES names a folder to keep a copy of the
# signed uninstaller in, for verification. Prints the installer's path:
# DovernProfessionalSMSServer-<version>-setup.exe in OUT_DIR.
# usage: tools/build_installer.sh BUILD_DIR PAYLOAD OUT_DIR [makensis option...]
#   BUILD_DIR: build/mingw for the product; build/mingw64 with the option
#   "-XTarget amd64-unicode" for the x86-64 fallback of the Wine tests.
#   INSTALLER_VERSION overrides the version block's version (an older
#   installer for the upgrade tests).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if (($# < 3)); then
    echo "usage: tools/build_installer.sh BUILD_DIR PAYLOAD OUT_DIR [makensis option...]" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
payload=$(cd "$2" && pwd)
out_dir=$(realpath -m "$3")
shift 3

for exe in DovernProfessionalSMSServer.exe PrepareJava.exe; do
    [[ -f $build/$exe ]] || {
        echo "build_installer: $build/$exe is missing: build it first" >&2
        exit 1
    }
done
"$root/tools/check_payload.sh" "$payload" || exit 1

# The installer's names and version come from the launcher's version block, so
# that Programs and Features shows what the launcher's properties show.
rc=$root/launcher/resources/launcher.rc
value() { sed -n "s/^ *VALUE \"$1\", \"\(.*\)\"\$/\1/p" "$rc"; }
product=$(value ProductName)
publisher=$(value CompanyName)
version=${INSTALLER_VERSION:-$(value ProductVersion)}
numbers=$(sed -n 's/^PRODUCTVERSION \([0-9]*\),\([0-9]*\),\([0-9]*\),\([0-9]*\)$/\1.\2.\3.\4/p' "$rc")
[[ -z ${INSTALLER_VERSION:-} ]] || numbers=$INSTALLER_VERSION.0.0
if [[ -z $product || -z $publisher || -z $version || -z $numbers ]]; then
    echo "build_installer: no name, publisher or version found in $rc" >&2
    exit 1
fi

output=$out_dir/DovernProfessionalSMSServer-$version-setup.exe
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# makensis takes file names from the script: each payload file gets its own
# Shipped line, and the uninstaller the list of its folders to remove once
# empty. Names go into double-quoted NSIS strings, where only
# "$" needs escaping (but in the paths that File reads at build time, taken as
# they are); names Windows cannot hold are refused here.
nsis_string() { printf '%s' "${1//\$/\$\$}"; }
win_path() { local p=${1//\//\\}; nsis_string "$p"; }
bad=$(cd "$payload" && find SMSServer -name '*[\\:*?"<>|]*' -o -name '*[[:cntrl:]]*' -o -name '*[. ]') || true
if [[ -n $bad ]]; then
    echo "build_installer: names that Windows cannot hold in the payload:" >&2
    echo "$bad" >&2
    exit 1
fi
mapfile -t dirs < <(cd "$payload" && find SMSServer -type d | LC_ALL=C sort)
{
    echo "!macro PayloadFiles"
    for d in "${dirs[@]}"; do
        echo "  CreateDirectory \"\$INSTDIR\\$(win_path "$d")\""
        mapfile -t files < <(cd "$payload" && find "$d" -maxdepth 1 -type f | LC_ALL=C sort)
        ((${#files[@]})) || continue
        echo "  SetOutPath \"\$INSTDIR\\$(win_path "$d")\""
        for f in "${files[@]}"; do
            echo "  !insertmacro Shipped \"$(nsis_string "${f##*/}")\" \"$payload/$f\""
        done
    done
    echo "!macroend"
    echo "!macro PayloadDirs"
    # Deepest first; RMDir leaves a folder that still holds what the server wrote.
    for ((i = ${#dirs[@]} - 1; i >= 0; i--)); do
        echo "  RMDir \"\$INSTDIR\\$(win_path "${dirs[i]}")\""
    done
    echo "!macroend"
} >"$work/payload.nsh"
# The shipped files with their SHA-256, laid in the installation: UTF-8, one
# line a file, 64 hex digits, a TAB and the path below the installation with
# backslashes. Each file also under the name that Setup gives this version's
# copy beside a changed one (<name>.new), so that the uninstaller removes that
# too while it is unchanged.
(cd "$payload" && find SMSServer -type f | LC_ALL=C sort) | while IFS= read -r f; do
    hash=$(sha256sum -- "$payload/$f")
    hash=${hash%% *}
    printf '%s\t%s\n%s\t%s.new\n' "$hash" "${f//\//\\}" "$hash" "${f//\//\\}"
done >"$work/shipped.sha256"
bytes=$(cat "$build/DovernProfessionalSMSServer.exe" "$build/PrepareJava.exe" "$root/packaging/README-Windows.txt" |
    wc -c)
bytes=$((bytes + $(find "$payload/SMSServer" -type f -printf '%s\n' | awk '{s += $1} END {print s + 0}')))

signing() { [[ -n ${SIGN_CERT:-} || -n ${SIGNATURES:-} ]]; }
copies=${UNINSTALLER_COPIES:+$(realpath -m "$UNINSTALLER_COPIES")}
[[ -z $copies ]] || mkdir -p "$copies"
names=(-DPRODUCT="$product" -DPUBLISHER="$publisher" -DVERSION="$version" -DVERSION_NUMBERS="$numbers"
    -DICON="$root/launcher/resources/app.ico" -DPREPAREJAVA="$build/PrepareJava.exe")
makensis -V2 -INPUTCHARSET UTF8 -WX "$@" "${names[@]}" -DPAYLOAD_NSH="$work/payload.nsh" \
    -DOUTFILE="$work/uninstall.exe" "$root/packaging/uninstall.nsi" >"$work/makensis.log" 2>&1 || {
    cat "$work/makensis.log" >&2
    exit 1
}
# Signed before it goes into the installer.
if signing; then
    "$root/tools/sign.sh" "$work/uninstall.exe"
fi
[[ -z $copies ]] || cp "$work/uninstall.exe" "$copies/uninstall.exe"
mkdir -p "$out_dir"
makensis -V2 -INPUTCHARSET UTF8 -WX "$@" \
    "${names[@]}" \
    -DLAUNCHER="$build/DovernProfessionalSMSServer.exe" \
    -DREADME="$root/packaging/README-Windows.txt" -DUNINSTALLER="$work/uninstall.exe" \
    -DSHIPPED_LIST="$work/shipped.sha256" -DSUPPORT="$payload/GsmModemJar" -DPAYLOAD_NSH="$work/payload.nsh" \
    -DESTIMATED_KB=$(((bytes + 1023) / 1024)) -DOUTFILE="$output" \
    "$root/packaging/installer.nsi" >"$work/makensis.log" 2>&1 || {
    cat "$work/makensis.log" >&2
    exit 1
}
if signing; then
    "$root/tools/sign.sh" "$output"
fi
echo "$output"
