#!/usr/bin/env bash
# Runs the launcher under Wine in scenarios and checks what a user and the
# started server would see, in every configuration this host runs (see
# lib.sh): where 32-bit code runs, the PE32 in a 32-bit prefix (win32) and in
# a 64-bit one (wow64); elsewhere the x86-64 build (x64) only.
#
# usage: tests/wine/run_wine_tests.sh [BUILD_DIR]
#   Without BUILD_DIR the script configures and builds each configuration's
#   CMake preset and tests build/<preset>. With BUILD_DIR it builds nothing and
#   takes the launcher and the helpers (java.exe, msgbox.exe, window_probe.exe)
#   from there for every configuration.
# Environment: WINE_TESTS="name ..." runs only those scenarios;
#   WL_CONFIGS="win32 wow64 x64" (any of them) overrides the host probe.
# Screenshots and the files of failed scenarios go to
# BUILD_DIR/wine-artifacts/<configuration>.
# Ends with a table of each scenario's result per configuration and
# "N passed, M failed"; exits non-zero when any scenario failed.
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$HERE/lib.sh"

APP_DIR='C:\Apps\Server'
PYTHON=/usr/bin/python3

START_MS=$(wl_now_ms)
BUILD_DIR=${1:-}
read -r -a CONFIGS <<<"$(wl_host_configs)"
BUILT=" "
for config in "${CONFIGS[@]}"; do
    wl_use_config "$config" || exit 1
    if [[ -z $BUILD_DIR && $BUILT != *" $WL_PRESET "* ]]; then
        wl_build "$WL_PRESET" || exit 1
        BUILT+="$WL_PRESET "
    fi
done

# Points WL_BUILD, WL_HELPERS and ARTIFACTS at the current configuration's
# build, BUILD_DIR when given, and empties ARTIFACTS.
use_build() {
    if [[ -n $BUILD_DIR ]]; then
        WL_BUILD=$(cd "$BUILD_DIR" && pwd)
        WL_HELPERS=$(dirname "$(find "$WL_BUILD" -name msgbox.exe -print -quit)")
    else
        WL_BUILD=$WL_ROOT/build/$WL_PRESET
        WL_HELPERS=$WL_BUILD/tests/wine
    fi
    local f
    for f in "$WL_BUILD/$WL_EXE" "$WL_HELPERS"/{java,msgbox,window_probe}.exe; do
        [[ -f $f ]] || { echo "missing $f"; return 1; }
    done
    ARTIFACTS=$WL_BUILD/wine-artifacts/$WL_CONFIG
    rm -rf "$ARTIFACTS"
    mkdir -p "$ARTIFACTS"
}

wl_set_up wine-tests || exit 1

# ---- helpers used inside a scenario (each scenario runs in a subshell) ----

fail() {
    printf '%s\n' "$*" >"$SC/reason"
    exit 1
}

no_record() {
    local f
    f=$(wl_record_file "$1")
    [[ ! -e $f ]] || fail "stand-in $1 ran: $(grep -m1 '^cmdline=' "$f")"
}

no_records_at_all() {
    local dir
    dir=$(wl_unix_path "$WL_RECORDS")
    if compgen -G "$dir/*.txt" >/dev/null; then
        fail "a stand-in ran: $(cat "$dir"/*.txt | grep -m1 '^exe=')"
    fi
}

launch() { wl_launch "${1:-$APP_DIR}" "$SC"; }

expect_exit() {
    wl_wait_exit "$WL_LAUNCHER_PID" "$2"
    [[ $WL_EXIT_STATUS == "$1" ]] ||
        fail "launcher exit status $WL_EXIT_STATUS after $(wl_since_launch_ms) ms, expected $1"
}

# Expects the box $1, then the launcher ending with status 1 and no server.
expect_refusal() {
    expect_box "$1"
    expect_exit 1 5
    no_records_at_all
}

# Fails with $2 unless record $1 is complete within 12 s.
expect_record() { wl_wait_record "$1" 12 || fail "$2"; }

# Fails unless key $2 of the key=value lines $1 is $3; $4 tells more.
expect_kv() {
    local got
    got=$(wl_kv "$2" "$1")
    [[ $got == "$3" ]] || fail "$2 [$got], expected [$3]${4:+ ($4)}"
}

# Fails unless value $2 of the first start in record $1 is $3.
expect_value() { expect_kv "$(<"$(wl_record_file "$1")")" "$2" "$3"; }

# Answers the next message box; sets BOX_RC, BOX_CAPTION, BOX_TEXT, BOX_OUT.
next_box() {
    BOX_RC=0
    BOX_OUT=$(wl_wine 60 'C:\tools\msgbox.exe' --timeout "$1" | tr -d '\r') || BOX_RC=$?
    printf '%s\n--\n' "$BOX_OUT" >>"$SC/boxes.out"
    BOX_CAPTION=$(wl_kv caption "$BOX_OUT")
    BOX_TEXT=$(wl_kv text "$BOX_OUT")
}

# Expects the next box to be an OK-only box without icon and with our
# caption; with an argument, also its exact text (CR and LF escaped).
expect_box() {
    next_box 10000
    case $BOX_RC in
    0) ;;
    2) fail "no message box appeared${1:+ (expected \"$1\")}" ;;
    3) fail "box \"$BOX_TEXT\" is not OK-only without icon: buttons=$(wl_kv buttons "$BOX_OUT") icon=$(wl_kv icon "$BOX_OUT")" ;;
    *) fail "msgbox helper failed ($BOX_RC): $BOX_OUT" ;;
    esac
    [[ $BOX_CAPTION == "$WL_CAPTION" ]] || fail "box caption \"$BOX_CAPTION\""
    if [[ $# -ge 1 && $BOX_TEXT != "$1" ]]; then
        fail "box text \"$BOX_TEXT\", expected \"$1\""
    fi
}

check_server_start() {
    local problem
    problem=$(wl_check_server_start "$@") || fail "$problem"
}

# Lists a folder tree in lower case, one relative path a line.
tree_of() {
    (cd "$(wl_unix_path "$1")" && find . -type f | sed 's|^\./||' | tr '[:upper:]' '[:lower:]' | sort)
}

# Fails unless Windows folder $1 holds exactly the files after it, given as
# tree_of lists them.
expect_tree() {
    local dir=$1 got want
    shift
    want=$(printf '%s\n' "$@" | sort)
    got=$(tree_of "$dir")
    [[ $got == "$want" ]] || fail "$dir holds: ${got//$'\n'/ }"
}

# What a runtime holds after wl_put_runtime, and what the launcher copies in.
RUNTIME_FILES=(bin/java.exe bin/standin.cfg)
COPIED_FILES=()
for f in "${WL_SUPPORT_FILES[@]}"; do
    f=${f//\\//}
    COPIED_FILES+=("${f,,}")
done

# Fails unless the support files after runtime home $1 (all four when none
# is named) are in it and equal to their sources.
expect_copied() {
    local home=$1 f copy
    shift
    local files=("$@")
    ((${#files[@]})) || files=("${WL_SUPPORT_FILES[@]}")
    for f in "${files[@]}"; do
        copy=$(find_nocase "$home\\$f")
        [[ -n $copy ]] || fail "$f not copied into $home"
        cmp -s "$copy" "$(wl_unix_path "$WL_SUPPORT_DIR\\${f##*\\}")" || fail "$home\\$f differs from its source"
    done
}

# Moves the launcher from APP_DIR into Windows folder $1.
move_launcher() {
    mkdir -p "$(wl_unix_path "$1")"
    mv "$(wl_unix_path "$APP_DIR")/$WL_EXE" "$(wl_unix_path "$1")/"
}

# Expects the server of record $1 started from launcher folder $2 with the
# runtime home $3 that holds blanks: its program path quoted, so that the
# decoy C:\Program.exe never ran, and the class path one argument.
expect_quoted_start() {
    local record=$1 app=$2 home=$3 classpath
    if ! wl_wait_record "$record" 12; then
        no_record decoy
        fail "runtime $home not started within 12 s"
    fi
    no_record decoy
    check_server_start "$record" "$app" "$home"
    expect_value "$record" argc 4
    expect_value "$record" argv0 "$home\\bin\\java.exe"
    expect_value "$record" argv1 -classpath
    classpath=$(wl_server_cmdline "$app" "$home")
    classpath=${classpath#*-classpath }
    classpath=${classpath% JavaSwingClasses.MainFrame}
    classpath=${classpath//\"/}
    expect_value "$record" argv2 "$classpath"
    expect_value "$record" argv3 JavaSwingClasses.MainFrame
}

# Unix path of the file matching Windows path $1 whatever the case of its name.
find_nocase() {
    local p
    p=$(wl_unix_path "$1")
    find "$(dirname "$p")" -maxdepth 1 -iname "$(basename "$p")" -print -quit 2>/dev/null
}

# ---- scenarios ----

sc_splash() {
    launch
    local out big
    # The window shows before its picture is decoded and painted; give the first
    # paint a moment before the screenshot.
    out=$(wl_probe --timeout 10000 --sleep 300 "$WL_CAPTION") || fail "no visible window \"$WL_CAPTION\""
    timeout 20 import -window root "$SC/splash.png"
    big=$(wl_probe --timeout 2000 --client 600 600 --sleep 300 "$WL_CAPTION") ||
        fail "window gone before it could be enlarged"
    timeout 20 import -window root "$SC/splash-enlarged.png"
    printf '%s\n%s\n' "$out" "$big" >"$SC/probe.out"
    cp "$SC/splash.png" "$SC/splash-enlarged.png" "$ARTIFACTS/"

    local l t r b w h sw shw
    read -r l t r b <<<"$(wl_kv window "$out")"
    read -r sw shw <<<"$(wl_kv screen "$out")"
    w=$((r - l))
    h=$((b - t))
    expect_kv "$out" client "487 492"
    expect_kv "$out" dpi 96
    local dx=$((2 * l - (sw - w))) dy=$((2 * t - (shw - h)))
    ((dx >= -2 && dx <= 2 && dy >= -2 && dy <= 2)) ||
        fail "window $l $t $r $b not centred on ${sw}x$shw"
    local bit styles
    styles="style $(wl_kv style "$out"), exstyle $(wl_kv exstyle "$out")"
    for bit in caption_bar sysmenu minbox maxbox thickframe taskbar visible; do
        expect_kv "$out" $bit 1 "$styles"
    done
    for bit in popup iconic zoomed; do expect_kv "$out" $bit 0 "$styles"; done

    local ox oy bx by shot_ms
    read -r ox oy <<<"$(wl_kv client_origin "$out")"
    read -r bx by <<<"$(wl_kv resized_client_origin "$big")"
    expect_kv "$big" resized_client "600 600"
    shot_ms=$(wl_kv resized_ms_since_start "$big")
    local problems
    problems=$("$PYTHON" "$HERE/check_splash.py" "$SC/splash.png" "$ox" "$oy" \
        "$SC/splash-enlarged.png" "$bx" "$by" 600 600) || fail "screenshots: ${problems//$'\n'/; }"

    local hid at
    hid=$(wl_probe --any --timeout 2000 --wait-hidden 8000 "$WL_CAPTION") || fail "window not hidden within 8 s"
    at=$(wl_kv hidden_at_ms "$hid")
    # A 2000 ms timer started after the process was created cannot fire earlier.
    ((at >= 1950 && at <= 4000)) || fail "window hidden $at ms after the process started, expected 1950-4000"
    ((shot_ms < at)) || fail "screenshots were late ($shot_ms ms, hidden at $at ms)"
}

sc_close_before_tick() {
    wl_put_runtime 1.6.0_45 'C:\Java\jre6' jre6
    wl_put_standin 'C:\windows' java.exe windows
    launch
    local out
    out=$(wl_probe --timeout 10000 --sleep 300 --close "$WL_CAPTION") || fail "no window to close"
    local at
    at=$(wl_kv ms_since_start "$out")
    ((at < 1400)) || fail "test too slow: window found only at $at ms"
    expect_exit 0 6
    next_box 500
    [[ $BOX_RC == 2 ]] || fail "message box after close: \"$BOX_TEXT\""
    no_records_at_all
}

sc_no_runtime_key() {
    wl_put_standin 'C:\windows' java.exe windows
    launch
    expect_refusal "$WL_TEXT_NO_RUNTIME"
}

sc_only_old_versions() {
    wl_put_runtime 1.4 'C:\Java\jre14' jre14
    wl_put_runtime 1.4.2_19 'C:\Java\jre142' jre142
    wl_put_standin 'C:\windows' java.exe windows
    launch
    expect_refusal "$WL_TEXT_NO_VERSION"
}

sc_runtime_key_without_subkeys() {
    wl_put_standin 'C:\windows' java.exe windows
    wl_wine 30 reg add 'HKLM\SOFTWARE\JavaSoft\Java Runtime Environment' /v CurrentVersion \
        /t REG_SZ /d 1.6 /f "$WL_REGVIEW" >/dev/null
    launch
    expect_refusal "$WL_TEXT_NO_VERSION"
}

# Also the long one: the launcher must outlive its server until Timer2's
# first tick and then end with status 0.
sc_first_suitable_and_watch() {
    wl_put_support_files
    wl_put_runtime 1.8 'C:\Java\jre18' jre18
    wl_put_runtime 1.4 'C:\Java\jre14' jre14
    wl_put_runtime 1.6 'C:\Java\jre16' jre16 3000
    wl_put_standin 'C:\windows' java.exe windows
    launch
    expect_record jre16 "runtime 1.6 not started within 12 s"
    check_server_start jre16 "$APP_DIR" 'C:\Java\jre16'
    expect_value jre16 argc 4
    expect_value jre16 argv0 'C:\Java\jre16\bin\java.exe'
    no_record jre14
    no_record jre18
    no_record windows

    while (($(wl_since_launch_ms) < 25000)); do sleep 0.2; done
    kill -0 "$WL_LAUNCHER_PID" 2>/dev/null || fail "launcher ended before the first watch tick ($(wl_since_launch_ms) ms)"
    expect_exit 0 12
    local ended
    ended=$(wl_since_launch_ms)
    ((ended >= 30000 && ended <= 35000)) || fail "launcher ended at $ended ms, expected 30000-35000"
}

sc_support_files_copied() {
    wl_put_support_files
    wl_put_runtime 1.6.0_45 'C:\Java\jre6' jre6
    local ext
    ext=$(wl_unix_path 'C:\Java\jre6\lib\ext')
    printf 'older jdc, must stay\n' >"$ext/jdc.jar"
    cp "$ext/jdc.jar" "$SC/jdc.before"
    launch
    expect_record jre6 "server not started within 12 s"
    expect_copied 'C:\Java\jre6' 'lib\ext\Comm.jar' 'lib\javax.comm.properties' 'bin\Win32com.dll'
    cmp -s "$ext/jdc.jar" "$SC/jdc.before" || fail "existing lib\\ext\\jdc.jar was replaced"
    expect_tree 'C:\Java\jre6' "${RUNTIME_FILES[@]}" "${COPIED_FILES[@]}"
}

sc_minimised_splash() {
    wl_put_support_files
    wl_put_runtime 1.6.0_45 'C:\Java\jre6' jre6
    launch
    wl_probe --timeout 10000 --minimize --sleep 300 "$WL_CAPTION" >/dev/null || fail "no window to minimise"
    local min hid at
    min=$(wl_probe --any --timeout 2000 "$WL_CAPTION") || fail "window gone after minimising"
    expect_kv "$min" iconic 1 "the window must be minimised"
    hid=$(wl_probe --any --timeout 2000 --wait-hidden 8000 "$WL_CAPTION") || fail "window not hidden within 8 s"
    at=$(wl_kv hidden_at_ms "$hid")
    ((at >= 1950 && at <= 4000)) || fail "minimised window hidden at $at ms, expected 1950-4000"
    expect_record jre6 "server not started within 12 s"
}

sc_missing_support_folder() {
    wl_put_runtime 1.6.0_45 'C:\Java\jre6' jre6
    launch
    expect_box
    local first=$BOX_TEXT
    [[ -n $first && $first != "$WL_TEXT_COPY_ERROR" ]] || fail "first box \"$first\" is not the system's description"
    [[ $first != *%* ]] || fail "first box \"$first\" shows an unfilled insert"
    expect_box "$WL_TEXT_COPY_ERROR"
    expect_record jre6 "server not started after the copy error"
    check_server_start jre6 "$APP_DIR" 'C:\Java\jre6'
    local got
    got=$(tree_of 'C:\Java\jre6')
    [[ $got == $'bin/java.exe\nbin/standin.cfg' ]] || fail "runtime folder holds: ${got//$'\n'/ }"
}

sc_missing_ext_folder() {
    wl_put_support_files
    wl_put_runtime 1.6.0_45 'C:\Java\jre6' jre6
    rmdir "$(wl_unix_path 'C:\Java\jre6\lib\ext')"
    launch
    expect_box
    [[ -n $BOX_TEXT && $BOX_TEXT != "$WL_TEXT_COPY_ERROR" ]] || fail "first box \"$BOX_TEXT\" is not the system's description"
    expect_box "$WL_TEXT_COPY_ERROR"
    expect_record jre6 "server not started after the copy error"
    [[ ! -e $(wl_unix_path 'C:\Java\jre6\lib\ext') ]] || fail "lib\\ext was created"
    local got
    got=$(tree_of 'C:\Java\jre6')
    [[ $got == $'bin/java.exe\nbin/standin.cfg' ]] || fail "copying went on after the first failure: ${got//$'\n'/ }"
}

sc_missing_javahome() {
    wl_put_standin 'C:\windows' java.exe windows
    wl_add_runtime 1.6.0_45
    launch
    expect_box 'Unsupported value type'
    expect_box "$WL_TEXT_SEARCH_ERROR"
    expect_record windows "\"java\" not started through the program search"
    check_server_start windows "$APP_DIR" ''
    local got
    got=$(wl_record_get windows cmdline)
    [[ ${#got} == 508 ]] || fail "command line has ${#got} characters"
}

sc_letter_subkey() {
    wl_put_runtime 1.4 'C:\Java\jre14' jre14
    wl_put_runtime Latest 'C:\Java\latest' latest
    wl_put_standin 'C:\windows' java.exe windows
    launch
    expect_box 'Type mismatch'
    expect_box "$WL_TEXT_SEARCH_ERROR"
    expect_record windows "\"java\" not started through the program search"
    check_server_start windows "$APP_DIR" ''
    no_record jre14
    no_record latest
}

# The runtime where its installer puts it: under C:\Program Files (x86) on
# 64-bit Windows, with parentheses besides the blank.
sc_blank_in_javahome() {
    local app='C:\Dovern SMS\Server' home="$WL_PROGRAM_FILES\\Java\\jre6"
    move_launcher "$app"
    wl_put_support_files
    wl_put_runtime 1.6.0_45 "$home" jre6
    wl_put_standin "C:\\" Program.exe decoy
    launch "$app"
    expect_quoted_start jre6 "$app" "$home"
    expect_copied "$home"
}

sc_failing_start() {
    wl_put_support_files
    local home='C:\Java\broken'
    mkdir -p "$(wl_unix_path "$home")/bin" "$(wl_unix_path "$home")/lib/ext"
    wl_put_standin 'C:\windows' java.exe windows
    wl_add_runtime 1.6.0_45 "$home"
    launch
    expect_box
    [[ $BOX_TEXT =~ ^Run-time\ error\ \'[0-9]+\':\\r\\n\\r\\n.+ ]] || fail "box text \"$BOX_TEXT\""
    expect_exit 1 5
    no_records_at_all
}

# The application folder is renamed while the splash shows: making it the
# current directory fails, which is reported, and no server starts.
sc_app_folder_gone() {
    wl_put_support_files
    wl_put_runtime 1.6.0_45 'C:\Java\jre6' jre6
    wl_put_standin 'C:\windows' java.exe windows
    launch
    wl_probe --timeout 10000 "$WL_CAPTION" >/dev/null || fail "no splash window"
    local at
    at=$(wl_since_launch_ms)
    ((at < 1500)) || fail "test too slow: window found only at $at ms"
    mv "$(wl_unix_path "$APP_DIR")" "$(wl_unix_path "$APP_DIR")-gone"
    expect_box
    [[ $BOX_TEXT =~ ^Run-time\ error\ \'(2|3)\':\\r\\n\\r\\n.+ ]] || fail "box text \"$BOX_TEXT\""
    [[ $BOX_TEXT != *%* ]] || fail "box \"$BOX_TEXT\" shows an unfilled insert"
    expect_exit 1 5
    no_records_at_all
}

# A close posted to the hidden window while the sequence waits in its first
# box, after Timer1 has ticked again under it: the boxes still come, the server
# starts once, and then the launcher ends with status 0.
sc_close_under_box() {
    wl_put_runtime 1.6.0_45 'C:\Java\jre6' jre6
    launch
    local out
    out=$(wl_wine 60 'C:\tools\msgbox.exe' --timeout 10000 --leave | tr -d '\r') ||
        fail "no message box to close under"
    [[ $(wl_kv text "$out") != "$WL_TEXT_COPY_ERROR" ]] || fail "the copy's error came without its description"
    # Timer1 ticks 2 s after the box came, under it.
    while (($(wl_since_launch_ms) < 5000)); do sleep 0.1; done
    wl_probe --any --timeout 2000 --close "$WL_CAPTION" >/dev/null || fail "no window to close"
    sleep 1
    kill -0 "$WL_LAUNCHER_PID" 2>/dev/null || {
        wl_wait_exit "$WL_LAUNCHER_PID" 1
        fail "the close ended the launcher under its box (status $WL_EXIT_STATUS)"
    }
    no_record jre6
    expect_box
    [[ $BOX_TEXT == "$(wl_kv text "$out")" ]] || fail "first box \"$BOX_TEXT\" changed"
    expect_box "$WL_TEXT_COPY_ERROR"
    expect_record jre6 "server not started after the close"
    check_server_start jre6 "$APP_DIR" 'C:\Java\jre6'
    expect_exit 0 5
}

# 64-bit Windows: a runtime registered only in the 64-bit view is invisible
# to the 32-bit launcher, which reports that none is installed.
sc_runtime_only_in_64bit_view() {
    local home='C:\Program Files\Java\jre1.8.0_202'
    wl_put_support_files
    WL_REGVIEW=$WL_OTHER_VIEW wl_put_runtime 1.8 "$home" jre64
    wl_put_standin 'C:\windows' java.exe windows
    launch
    expect_refusal "$WL_TEXT_NO_RUNTIME"
    expect_tree "$home" "${RUNTIME_FILES[@]}"
}

# 64-bit Windows with both Javas under the same version names: the 32-bit one
# (32-bit view, under Program Files (x86)) starts and gets the copies; the
# 64-bit one (64-bit view, under Program Files) is never touched. The
# launcher lies under Program Files (x86) as well.
sc_runtimes_in_both_views() {
    local app="$WL_PROGRAM_FILES\\Dovern SMS Server" home32="$WL_PROGRAM_FILES\\Java\\jre1.8.0_202"
    local home64='C:\Program Files\Java\jre1.8.0_202'
    move_launcher "$app"
    wl_put_support_files
    wl_put_runtime 1.8 "$home32" jre32
    # Written last, so that it would replace the 32-bit one in a shared view.
    WL_REGVIEW=$WL_OTHER_VIEW wl_put_runtime 1.8 "$home64" jre64
    wl_put_standin "C:\\" Program.exe decoy
    launch "$app"
    expect_quoted_start jre32 "$app" "$home32"
    no_record jre64
    expect_copied "$home32"
    expect_tree "$home32" "${RUNTIME_FILES[@]}" "${COPIED_FILES[@]}"
    expect_tree "$home64" "${RUNTIME_FILES[@]}"
}

# ---- runner ----

PASSED=0
FAILED=0
SELECTED=${WINE_TESTS:-}
declare -A RESULT

# Runs scenario $1, the function sc_<name with - as _>, in a fresh copy of
# TEMPLATE, and records its result for the current configuration.
run_scenario() {
    local name=$1 func=sc_${1//-/_}
    local t0 rc=0
    t0=$(wl_now_ms)
    SC=$WL_WORK/$WL_CONFIG/$name
    mkdir -p "$SC"
    wl_copy_prefix "$TEMPLATE" "$SC/pfx"
    set +e
    (
        set -eE
        trap 'echo "unexpected failure at line $LINENO: $BASH_COMMAND" >"$SC/reason"' ERR
        timeout 30 wineserver -p >/dev/null 2>&1
        wl_put_launcher "$APP_DIR"
        # Starts the desktop process so the launcher's first window is not late.
        wl_probe --timeout 0 warm-up >/dev/null 2>&1 || true
        "$func"
    )
    rc=$?
    set -e
    local secs
    secs=$(((($(wl_now_ms) - t0) + 500) / 1000))
    if [[ $rc == 0 ]]; then
        echo "ok [$WL_CONFIG] $name (${secs} s)"
        RESULT[$name,$WL_CONFIG]=ok
        PASSED=$((PASSED + 1))
    else
        local reason="exit status $rc"
        [[ -f $SC/reason ]] && reason=$(<"$SC/reason")
        local open
        open=$(wl_wine 20 'C:\tools\msgbox.exe' --timeout 300 2>/dev/null | tr -d '\r' | sed -n 's/^text=//p') || true
        [[ -n $open ]] && reason+=" [open message box: \"$open\"]"
        echo "FAIL [$WL_CONFIG] $name: $reason"
        RESULT[$name,$WL_CONFIG]=FAIL
        FAILED=$((FAILED + 1))
        mkdir -p "$ARTIFACTS/$name"
        cp -r "$(wl_unix_path "$WL_RECORDS")" "$ARTIFACTS/$name/" 2>/dev/null || true
        find "$SC" -maxdepth 1 -type f -exec cp {} "$ARTIFACTS/$name/" \;
    fi
    wl_stop_wine
    rm -rf "$SC"
}

# The long watch scenario last: a failure before it shows sooner.
SCENARIOS=(splash close-before-tick no-runtime-key only-old-versions runtime-key-without-subkeys
    support-files-copied minimised-splash missing-support-folder missing-ext-folder
    missing-javahome letter-subkey blank-in-javahome failing-start app-folder-gone
    close-under-box runtime-only-in-64bit-view runtimes-in-both-views
    first-suitable-and-watch)
# Scenarios that only one configuration has: a 32-bit program on 64-bit Windows.
declare -A ONLY_IN=([runtime-only-in-64bit-view]=wow64 [runtimes-in-both-views]=wow64)
RUN=()
for name in "${SCENARIOS[@]}"; do
    if [[ -z $SELECTED || " $SELECTED " == *" $name "* ]]; then RUN+=("$name"); fi
done

for config in "${CONFIGS[@]}"; do
    wl_use_config "$config"
    echo "== $(wl_describe_config)"
    t0=$(wl_now_ms)
    TEMPLATE=$WL_WORK/$config/template
    ready=1
    use_build && wl_new_prefix "$TEMPLATE" || ready=0
    ((ready)) && echo "[$config] template prefix ready after $((($(wl_now_ms) - t0) / 1000)) s"
    for name in "${RUN[@]}"; do
        if [[ ${ONLY_IN[$name]:-$config} != "$config" ]]; then
            continue
        elif ((ready)); then
            run_scenario "$name"
        else
            echo "FAIL [$config] $name: no build or template prefix"
            RESULT[$name,$config]=FAIL
            FAILED=$((FAILED + 1))
        fi
    done
    wl_stop_wine
    # The scenarios' prefixes shared the template's system folders
    # (wl_copy_prefix); a file written there in place would be newer than the
    # registry the template was saved with.
    written=$(find "$TEMPLATE"/drive_c/windows/sys{tem32,wow64} -type f -newer "$TEMPLATE/system.reg" \
        -printf '%P ' 2>/dev/null || true)
    if [[ -n $written ]]; then
        echo "FAIL [$config] the scenarios wrote into the template's system folders: $written"
        FAILED=$((FAILED + 1))
    fi
    rm -rf "${TEMPLATE:?}"
    echo "artefacts: $ARTIFACTS"
done

echo
echo "results per configuration (-: not a scenario of that configuration)"
printf '  %-30s' scenario
printf ' %-6s' "${CONFIGS[@]}"
echo
for name in "${RUN[@]}"; do
    printf '  %-30s' "$name"
    for config in "${CONFIGS[@]}"; do printf ' %-6s' "${RESULT[$name,$config]:--}"; done
    echo
done
echo "wine tests took $((($(wl_now_ms) - START_MS + 500) / 1000)) s"
echo "$PASSED passed, $FAILED failed"
[[ $FAILED == 0 ]]
