#!/usr/bin/env bash
# Demo: builds the launcher, lays out a demo installation in a fresh Wine
# prefix and runs it once, printing what happens in order. Run from the
# repository root on Debian 12 (as root, or with sudo for the installs).
# The server is the java.exe stand-in of tests/wine, registered as runtime
# 1.6.0_45; it stays about 5 s, and the launcher ends at its first watch tick
# about 32 s after the start. Uses Xvfb when there is no DISPLAY.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"

install_missing() {
    local packages=(cmake make g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 mingw-w64-tools
        wine wine64 wine32:i386 fonts-wine xvfb xauth imagemagick)
    local missing=() p
    for p in "${packages[@]}"; do
        dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
    done
    ((${#missing[@]} == 0)) && return 0
    echo "demo: installing ${missing[*]}"
    local sudo=""
    [[ $(id -u) == 0 ]] || sudo=sudo
    dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

install_missing

# shellcheck source-path=SCRIPTDIR source=../tests/wine/lib.sh
source "$ROOT/tests/wine/lib.sh"
wl_detect_mode
echo "demo: $(wl_describe_mode)"

echo "demo: building preset $WL_PRESET"
cmake --preset "$WL_PRESET" >/dev/null
cmake --build --preset "$WL_PRESET" -j2 >/dev/null
BUILD=$ROOT/build/$WL_PRESET
OUT=$ROOT/build/demo
mkdir -p "$OUT"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/dovern-demo.XXXXXX")
trap 'wl_cleanup; rm -rf "$WORK"' EXIT
trap 'exit 130' INT TERM

if [[ -z ${DISPLAY:-} ]]; then
    wl_start_xvfb "$WORK"
    echo "demo: no display, running under Xvfb on $DISPLAY"
fi

PFX=$WORK/prefix
echo "demo: making a fresh Wine prefix"
wl_make_template "$PFX"
timeout 30 wineserver -p >/dev/null 2>&1

CAPTION="Dovern Professional SMS Server"
APP='C:\DovernDemo'
HOME_DIR='C:\DemoJava\jre6'
SUPPORT='C:\dovern\GsmModemJar'
u() { wl_unix_path "$1"; }

mkdir -p "$(u "$APP")/SMSServer/lib" "$(u 'C:\demo')"
cp "$BUILD/DovernProfessionalSMSServer.exe" "$(u "$APP")/"
for jar in comm jdc jxl log4j-1.2.8 slf4j-api-1.1.0 slf4j-log4j12-1.1.0 slf4j-simple-1.1.0 \
    swing-layout-1.0; do
    : >"$(u "$APP")/SMSServer/lib/$jar.jar"
done
: >"$(u "$APP")/SMSServer/Dovern_Professional_SMS_Server.jar"

mkdir -p "$(u "$HOME_DIR")/bin" "$(u "$HOME_DIR")/lib/ext"
cp "$BUILD/tests/wine/java.exe" "$(u "$HOME_DIR")/bin/java.exe"
printf 'record=C:\\demo\\server.txt\r\nstay_ms=5000\r\nexit=0\r\n' >"$(u "$HOME_DIR")/bin/standin.cfg"
cp "$BUILD/tests/wine/window_probe.exe" "$(u 'C:\demo')/"

mkdir -p "$(u "$SUPPORT")"
for f in Comm.jar javax.comm.properties Win32com.dll jdc.jar; do
    echo "demo placeholder for $f" >"$(u "$SUPPORT")/$f"
done
wl_add_runtime 1.6.0_45 "$HOME_DIR"

now_ms() {
    local t=${EPOCHREALTIME/[.,]/}
    echo $((10#$t / 1000))
}
seconds_since() { printf '%d.%d' $((($(now_ms) - $1) / 1000)) $((($(now_ms) - $1) % 1000 / 100)); }
problems=0
problem() {
    echo "demo: PROBLEM: $*"
    problems=$((problems + 1))
}

echo "demo: starting $APP\\DovernProfessionalSMSServer.exe"
start=$(now_ms)
(cd "$WORK" && exec "$WL_WINE" "$APP\\DovernProfessionalSMSServer.exe") >"$WORK/launcher.log" 2>&1 &
launcher=$!

probe=$(wl_wine 30 'C:\demo\window_probe.exe' --timeout 10000 "$CAPTION" | tr -d '\r') || true
if [[ $probe == *found=1* ]]; then
    rect=$(sed -n 's/^window=//p' <<<"$probe")
    client=$(sed -n 's/^client=//p' <<<"$probe")
    echo "1. splash shown: \"$CAPTION\", window rect (left top right bottom) $rect," \
        "client ${client/ /x}, at $(seconds_since "$start") s"
    timeout 20 import -window root "$OUT/splash.png"
    echo "2. screenshot saved to $OUT/splash.png"
else
    problem "no splash window within 10 s"
fi

record=$(u 'C:\demo')/server.txt
deadline=$(($(now_ms) + 15000))
until [[ -f $record ]] && grep -q '^end$' "$record"; do
    if (($(now_ms) > deadline)); then
        problem "the server was not started within 15 s"
        break
    fi
    sleep 0.1
done

echo "3. support files copied:"
for pair in 'lib\ext\Comm.jar:Comm.jar' 'lib\javax.comm.properties:javax.comm.properties' \
    'bin\Win32com.dll:Win32com.dll' 'lib\ext\jdc.jar:jdc.jar'; do
    dest="$HOME_DIR\\${pair%%:*}"
    if cmp -s "$(u "$dest")" "$(u "$SUPPORT")/${pair##*:}"; then
        echo "     $SUPPORT\\${pair##*:} -> $dest"
    else
        problem "$dest was not copied"
    fi
done

if [[ -f $record ]]; then
    echo "4. the server received this command line:"
    echo "     $(sed -n 's/^cmdline=//p' "$record")"
    echo "5. its working directory: $(sed -n 's/^cwd=//p' "$record")"
fi

echo "demo: the server stand-in stays 5 s; the launcher checks on it every 30 s..."
wl_wait_exit "$launcher" 45
if [[ $WL_EXIT_STATUS == timeout ]]; then
    problem "the launcher still runs after 45 s"
else
    echo "6. the launcher ended with exit status $WL_EXIT_STATUS after $(seconds_since "$start") s"
    [[ $WL_EXIT_STATUS == 0 ]] || problem "exit status $WL_EXIT_STATUS, expected 0"
fi

if ((problems > 0)); then
    echo "demo: $problems problem(s)"
    exit 1
fi
echo "demo: done"
