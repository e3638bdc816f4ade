#!/usr/bin/env bash
# Demo: builds the launcher, lays out a demo installation in a fresh Wine
# prefix and runs it once, printing what happens in order. Run from the
# repository root on Debian 12 (as root, or with sudo for the installs).
# The server is the java.exe stand-in of tests/wine, registered as runtime
# 1.6.0_45; it stays about 5 s, and the launcher ends at its first watch tick
# about 32 s after the start. Uses Xvfb when there is no DISPLAY.
#
# usage: tools/demo.sh [win32|wow64|x64]
#   The configuration (tests/wine/lib.sh); by default what most users have,
#   64-bit Windows: the PE32 in a 64-bit prefix (wow64), the launcher and the
#   runtime under C:\Program Files (x86), the runtime in the registry's 32-bit
#   view. A host that cannot execute 32-bit code runs the x86-64 fallback.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$ROOT/tools/install_deps.sh" wine
# shellcheck source-path=SCRIPTDIR source=../tests/wine/lib.sh
source "$ROOT/tests/wine/lib.sh"
config=${1:-}
if [[ -z $config ]]; then
    config=x64
    wl_host_runs_pe32 && config=wow64
fi
wl_use_config "$config"
echo "demo: configuration $(wl_describe_config)"
[[ -n ${1:-} || $config != x64 ]] || echo "demo: this host cannot execute 32-bit code, so not the PE32"
WL_BUILD=$ROOT/build/$WL_PRESET
WL_HELPERS=$WL_BUILD/tests/wine
wl_build "$WL_PRESET"
OUT=$ROOT/build/demo
mkdir -p "$OUT"

echo "demo: making a fresh Wine prefix ($WINEARCH)"
wl_set_up dovern-demo if-needed
wl_new_prefix "$WL_WORK/prefix"
[[ -z $WL_XVFB_PID ]] || echo "demo: running under Xvfb on $DISPLAY"
timeout 30 wineserver -p >/dev/null 2>&1

APP="$WL_PROGRAM_FILES\\Dovern SMS Server"
HOME_DIR="$WL_PROGRAM_FILES\\Java\\jre6"
wl_put_launcher "$APP"
mkdir -p "$(wl_unix_path "$APP\\SMSServer\\lib")"
for jar in "${WL_SERVER_JARS[@]}"; do
    : >"$(wl_unix_path "$APP\\SMSServer\\$jar")"
done
wl_put_runtime 1.6.0_45 "$HOME_DIR" server 5000
# Read back where a 64-bit program sees it: under Wow6432Node on 64-bit Windows.
key='HKLM\SOFTWARE\JavaSoft\Java Runtime Environment\1.6.0_45'
[[ -z $WL_OTHER_VIEW ]] || key=${key/SOFTWARE/SOFTWARE\\Wow6432Node}
echo "demo: runtime 1.6.0_45 registered at $key, JavaHome" \
    "$(wl_wine 30 reg query "$key" /v JavaHome $WL_OTHER_VIEW | tr -d '\r' | sed -n 's/.*REG_SZ *//p')"
wl_put_support_files

seconds_since() { printf '%d.%d' $((($(wl_now_ms) - $1) / 1000)) $((($(wl_now_ms) - $1) % 1000 / 100)); }
problems=0
problem() {
    echo "demo: PROBLEM: $*"
    problems=$((problems + 1))
}

echo "demo: starting $APP\\$WL_EXE"
wl_launch "$APP" "$WL_WORK"

probe=$(wl_probe --timeout 10000 "$WL_CAPTION") || true
if [[ $(wl_kv found "$probe") == 1 ]]; then
    client=$(wl_kv client "$probe")
    echo "1. splash shown: \"$WL_CAPTION\", window rect (left top right bottom) $(wl_kv window "$probe")," \
        "client ${client/ /x}, at $(seconds_since "$WL_LAUNCH_MS") s"
    timeout 20 import -window root "$OUT/splash.png"
    echo "2. screenshot saved to $OUT/splash.png"
else
    problem "no splash window within 10 s"
fi

wl_wait_record server 15 || problem "the server was not started within 15 s"

echo "3. support files copied:"
for f in "${WL_SUPPORT_FILES[@]}"; do
    if cmp -s "$(wl_unix_path "$HOME_DIR\\$f")" "$(wl_unix_path "$WL_SUPPORT_DIR\\${f##*\\}")"; then
        echo "     $WL_SUPPORT_DIR\\${f##*\\} -> $HOME_DIR\\$f"
    else
        problem "$HOME_DIR\\$f was not copied"
    fi
done

if [[ -f $(wl_record_file server) ]]; then
    echo "4. the server received this command line:"
    echo "     $(wl_record_get server cmdline)"
    echo "5. its working directory: $(wl_record_get server cwd)"
    if check=$(wl_check_server_start server "$APP" "$HOME_DIR"); then
        echo "6. it started once, hidden and without a console window, with the expected command line"
    else
        problem "$check"
    fi
fi

echo "demo: the server stand-in stays 5 s; the launcher checks on it every 30 s..."
wl_wait_exit "$WL_LAUNCHER_PID" 45
if [[ $WL_EXIT_STATUS == timeout ]]; then
    problem "the launcher still runs after 45 s"
else
    echo "7. the launcher ended with exit status $WL_EXIT_STATUS after $(seconds_since "$WL_LAUNCH_MS") s"
    [[ $WL_EXIT_STATUS == 0 ]] || problem "exit status $WL_EXIT_STATUS, expected 0"
fi

if ((problems > 0)); then
    echo "demo: $problems problem(s)"
    exit 1
fi
echo "demo: done"
