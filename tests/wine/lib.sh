# What tools/benchmark.sh sets up under Wine, until it moves onto the Python
# package beside this file (winesetup, which the tests, the sweep and the demo
# use): the configurations (which Windows, which build) and the ones this host
# can run, the build, Xvfb and the prefixes, runtimes with the java.exe
# stand-in and its records, clean-up at exit.
# Source it; it only defines functions and WL_* variables.
# shellcheck shell=bash disable=SC2034

WL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
WL_XVFB_PID=""
WL_WORK=""
WL_PREFIXES=()

WL_CAPTION="Dovern Professional SMS Server"
WL_EXE=DovernProfessionalSMSServer.exe
# Where each support file goes below a runtime's home.
WL_SUPPORT_FILES=('lib\ext\Comm.jar' 'lib\javax.comm.properties' 'bin\Win32com.dll' 'lib\ext\jdc.jar')
# The stand-ins write their records here, one file per name.
WL_RECORDS='C:\records'

wl_log() { printf '%s\n' "$*" >&2; }

wl_now_us() {
    local t=${EPOCHREALTIME/[.,]/}
    echo $((10#$t))
}

# Waits up to $3 seconds for a line matching $2 in file $1, looking every $4
# seconds (0.1 unless given).
wl_wait_for_line() {
    local file=$1 pattern=$2 deadline=$(($(wl_now_us) + $3 * 1000000))
    until grep -q "$pattern" "$file" 2>/dev/null; do
        (($(wl_now_us) < deadline)) || return 1
        sleep "${4:-0.1}"
    done
}

# Configurations: which Windows the launcher meets and which build of it runs.
#   win32  the PE32 in a 32-bit prefix: 32-bit Windows.
#   wow64  the PE32 in a 64-bit prefix through WoW64: 64-bit Windows, what
#          most users have. The launcher reads the registry's 32-bit view.
#   x64    the same sources built for x86-64 in a 64-bit prefix, reading the
#          64-bit view: the fallback for hosts that cannot execute 32-bit
#          code, never the product.

# True when this host starts Wine's 32-bit loader.
wl_host_runs_pe32() {
    [[ -x /usr/lib/wine/wine ]] && timeout 20 /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Prints the configurations this host runs: WL_CONFIGS when set, else win32
# and wow64 where 32-bit code runs, else x64, which it says.
wl_host_configs() {
    if [[ -n ${WL_CONFIGS:-} ]]; then
        echo "$WL_CONFIGS"
    elif wl_host_runs_pe32; then
        echo win32 wow64
    else
        wl_log "this host cannot execute 32-bit code: only the x86-64 fallback (x64) runs here"
        echo x64
    fi
}

# Makes configuration $1 current. Sets WL_CONFIG; WL_PRESET, the build;
# WL_WINE, the loader; WL_REGVIEW, the registry view the launcher reads;
# WINEARCH and WINELOADER.
wl_use_config() {
    WL_CONFIG=$1 WL_PRESET=mingw WL_WINE=/usr/lib/wine/wine WL_REGVIEW=/reg:32
    # Unset, Wine picks the 32-bit loader for a PE32 and the 64-bit one for a
    # PE32+, also in a 64-bit prefix.
    unset WINELOADER
    case $1 in
    win32) export WINEARCH=win32 ;;
    wow64) export WINEARCH=win64 ;;
    x64)
        export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
        WL_PRESET=mingw64 WL_WINE=/usr/lib/wine/wine64 WL_REGVIEW=/reg:64
        ;;
    *)
        wl_log "unknown configuration '$1' (win32, wow64 or x64)"
        return 1
        ;;
    esac
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

# One line on the current configuration, for output that names it.
wl_describe_config() {
    case $WL_CONFIG in
    win32) echo "win32: the PE32 (preset mingw) in a 32-bit prefix, as on 32-bit Windows" ;;
    wow64) echo "wow64: the PE32 (preset mingw) in a 64-bit prefix through WoW64, as on 64-bit Windows;" \
        "runtimes registered in the 32-bit view (Wow6432Node)" ;;
    x64) echo "x64: the x86-64 build (preset mingw64) in a 64-bit prefix, runtimes in the 64-bit view;" \
        "the fallback for hosts without 32-bit support, not the product" ;;
    esac
}

# Configures and builds preset $1 into folder $2 (build/<preset> unless given
# or empty), only the targets after it when any are given. The output goes to
# <folder>.log, whose end is shown when the build fails.
wl_build() {
    local preset=$1 dir=${2:-$WL_ROOT/build/$1} targets=()
    (($# > 2)) && targets=(--target "${@:3}")
    mkdir -p "$(dirname "$dir")"
    echo "building preset $preset in ${dir#"$WL_ROOT"/}${3:+: ${*:3}}"
    if ! (cd "$WL_ROOT" && cmake --preset "$preset" -B "$dir" >"$dir.log" 2>&1 &&
        cmake --build "$dir" -j"$(nproc)" "${targets[@]}" >>"$dir.log" 2>&1); then
        tail -n 30 "$dir.log" >&2
        wl_log "build with preset $preset failed (log: $dir.log)"
        return 1
    fi
}

# Makes the work directory WL_WORK (/tmp/$1.XXXXXX), which is removed at exit
# unless WL_KEEP=1, and starts Xvfb (with $2 == if-needed only when there is
# no DISPLAY).
wl_set_up() {
    WL_WORK=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
    trap wl_cleanup EXIT
    trap 'exit 130' INT TERM
    if [[ ${2:-} != if-needed || -z ${DISPLAY:-} ]]; then
        wl_start_xvfb "$WL_WORK" || return 1
    fi
}

# Starts Xvfb on a display it picks itself (-displayfd), so parallel runs
# cannot race for a number. Must run before any Wine process: a wineserver
# started without DISPLAY keeps later windows invisible.
wl_start_xvfb() {
    local dir=$1 fdfile
    fdfile=$dir/xvfb.display
    : >"$fdfile"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fdfile" \
        >"$dir/xvfb.log" 2>&1 &
    WL_XVFB_PID=$!
    local i
    for ((i = 0; i < 100; i++)); do
        if [[ -s $fdfile ]] && grep -q '^[0-9]\+$' "$fdfile"; then
            DISPLAY=:$(head -n1 "$fdfile")
            export DISPLAY
            return 0
        fi
        if ! kill -0 "$WL_XVFB_PID" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    wl_log "Xvfb did not start (see $dir/xvfb.log)"
    return 1
}

# Runs a Wine command in the current prefix, bounded.
wl_wine() {
    local secs=$1
    shift
    timeout --kill-after=5 "$secs" "$WL_WINE" "$@"
}

wl_use_prefix() {
    export WINEPREFIX=$1
    WL_PREFIXES+=("$1")
}

# Ends every Windows process of the current prefix.
wl_stop_wine() {
    [[ -n ${WINEPREFIX:-} && -d $WINEPREFIX ]] || return 0
    timeout 15 wineserver -k >/dev/null 2>&1 || true
    timeout 15 wineserver -w >/dev/null 2>&1 || true
}

# Creates a fresh prefix of the current configuration at $1, with fonts and
# an unmanaged X11 driver, and makes it current.
wl_new_prefix() {
    local pfx=$1
    mkdir -p "$(dirname "$pfx")"
    wl_use_prefix "$pfx"
    wl_wine 120 wineboot -i >/dev/null 2>&1
    # Debian's Wine does not find its own fonts; without them captions and
    # message boxes render with wrong glyphs.
    mkdir -p "$pfx/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/*.ttf "$pfx/drive_c/windows/Fonts/" 2>/dev/null || true
    # No window manager under Xvfb: unmanaged windows keep their Win32
    # geometry and hiding does not stall.
    wl_wine 60 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null
    # Let the server write the registry before the prefix is copied.
    timeout 60 wineserver -w >/dev/null 2>&1 || true
    [[ -f $pfx/system.reg ]] || {
        wl_log "wineboot did not make a prefix at $pfx"
        return 1
    }
}

# Windows path (C:\...) to the Unix path inside the current prefix.
wl_unix_path() {
    local p=${1#[Cc]:}
    p=${p//\\//}
    printf '%s/drive_c%s' "$WINEPREFIX" "$p"
}

# Adds a runtime sub-key, with a JavaHome value when one is given, in the
# registry view WL_REGVIEW: the launcher's, unless a caller sets it for the call.
wl_add_runtime() {
    local version=$1 key='HKLM\SOFTWARE\JavaSoft\Java Runtime Environment'
    if [[ $# -ge 2 ]]; then
        wl_wine 30 reg add "$key\\$version" /v JavaHome /t REG_SZ /d "$2" /f "$WL_REGVIEW" >/dev/null
    else
        wl_wine 30 reg add "$key\\$version" /f "$WL_REGVIEW" >/dev/null
    fi
}

# Installs the java.exe stand-in into Windows folder $1 under the name $2
# (java.exe unless given); it records into record $3, stays $4 ms (0 unless
# given) and exits with $5 (0 unless given).
wl_put_standin() {
    local dir
    dir=$(wl_unix_path "$1")
    mkdir -p "$dir" "$(wl_unix_path "$WL_RECORDS")"
    cp "$WL_HELPERS/java.exe" "$dir/${2:-java.exe}"
    printf 'record=%s\\%s.txt\r\nstay_ms=%s\r\nexit=%s\r\n' "$WL_RECORDS" "$3" "${4:-0}" "${5:-0}" \
        >"$dir/standin.cfg"
}

# Lays out a runtime in Windows folder $2 (bin, lib, lib\ext) with a stand-in
# as bin\java.exe that records into $3, stays $4 ms and exits with $5 (both 0
# unless given), and registers it as version $1.
wl_put_runtime() {
    mkdir -p "$(wl_unix_path "$2")/lib/ext"
    wl_put_standin "$2\\bin" java.exe "$3" "${4:-0}" "${5:-0}"
    wl_add_runtime "$1" "$2"
}

wl_record_file() { wl_unix_path "$WL_RECORDS\\$1.txt"; }

# Waits up to $2 seconds for the background child $1 to end. Sets
# WL_EXIT_STATUS to its exit status, or to "timeout" when it still runs.
wl_wait_exit() {
    local pid=$1 secs=$2 deadline
    deadline=$((SECONDS + secs))
    WL_EXIT_STATUS=0
    while kill -0 "$pid" 2>/dev/null; do
        if ((SECONDS >= deadline)); then
            WL_EXIT_STATUS=timeout
            return 0
        fi
        sleep 0.1
    done
    wait "$pid" || WL_EXIT_STATUS=$?
}

# Stops every prefix's processes and Xvfb, then removes WL_WORK unless
# WL_KEEP=1; for EXIT traps.
wl_cleanup() {
    local pfx
    for pfx in "${WL_PREFIXES[@]}"; do
        if [[ -d $pfx ]]; then
            WINEPREFIX=$pfx timeout 15 wineserver -k >/dev/null 2>&1 || true
        fi
    done
    if [[ -n $WL_XVFB_PID ]]; then
        kill "$WL_XVFB_PID" 2>/dev/null || true
        wait "$WL_XVFB_PID" 2>/dev/null || true
        WL_XVFB_PID=""
    fi
    [[ -n $WL_WORK ]] || return 0
    if [[ ${WL_KEEP:-0} == 1 ]]; then
        echo "work directory kept: $WL_WORK"
    else
        rm -rf "$WL_WORK"
    fi
}
