# Shared by tests/wine/run_wine_tests.sh and tools/demo.sh: picks the Wine
# mode this host can run, starts Xvfb, builds a template prefix, cleans up.
# Source it; it only defines functions and wl_* variables.
# shellcheck shell=bash disable=SC2034

WL_XVFB_PID=""
WL_PREFIXES=()

wl_log() { printf '%s\n' "$*" >&2; }

# Sets WL_MODE (32 or 64), WL_PRESET, WL_WINE, WL_REGVIEW and WINEARCH.
# Hosts without IA-32 emulation cannot start the 32-bit Wine loader; there
# the same sources are built for x86-64 and run in a 64-bit prefix.
# WL_FORCE_MODE=32|64 overrides the probe.
wl_detect_mode() {
    local mode=${WL_FORCE_MODE:-}
    if [[ -z $mode ]]; then
        if [[ -x /usr/lib/wine/wine ]] && timeout 20 /usr/lib/wine/wine --version >/dev/null 2>&1; then
            mode=32
        else
            mode=64
        fi
    fi
    WL_MODE=$mode
    if [[ $mode == 32 ]]; then
        WL_PRESET=mingw
        WL_WINE=/usr/lib/wine/wine
        WL_REGVIEW=/reg:32
        export WINEARCH=win32
        unset WINELOADER
    else
        WL_PRESET=mingw64
        WL_WINE=/usr/lib/wine/wine64
        WL_REGVIEW=/reg:64
        export WINEARCH=win64
        export WINELOADER=/usr/lib/wine/wine64
    fi
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

wl_describe_mode() {
    if [[ $WL_MODE == 32 ]]; then
        echo "wine mode: win32 prefix, PE32 build (preset mingw), registry view /reg:32"
    else
        echo "wine mode: win64 prefix, x86-64 build (preset mingw64), registry view /reg:64" \
            "(this host cannot run 32-bit code)"
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

# Creates a fresh prefix at $1 with fonts and an unmanaged X11 driver.
wl_make_template() {
    local pfx=$1
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
}

# Copies the template to a new prefix and makes it current.
wl_copy_prefix() {
    local template=$1 pfx=$2
    rm -rf "$pfx"
    cp -a "$template" "$pfx"
    wl_use_prefix "$pfx"
}

# Windows path (C:\...) to the Unix path inside the current prefix.
wl_unix_path() {
    local p=${1#[Cc]:}
    p=${p//\\//}
    printf '%s/drive_c%s' "$WINEPREFIX" "$p"
}

# Adds a runtime sub-key, with a JavaHome value when one is given.
wl_add_runtime() {
    local version=$1 key='HKLM\SOFTWARE\JavaSoft\Java Runtime Environment'
    if [[ $# -ge 2 ]]; then
        wl_wine 30 reg add "$key\\$version" /v JavaHome /t REG_SZ /d "$2" /f "$WL_REGVIEW" >/dev/null
    else
        wl_wine 30 reg add "$key\\$version" /f "$WL_REGVIEW" >/dev/null
    fi
}

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

# Stops every prefix's processes and Xvfb; for EXIT traps.
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
}
