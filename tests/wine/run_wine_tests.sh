#!/usr/bin/env bash
# Runs the launcher under Wine in scenarios and checks what a user and the
# started server would see.
#
# usage: tests/wine/run_wine_tests.sh [BUILD_DIR]
#   Without BUILD_DIR the script configures and builds the CMake preset this
#   host can run (mingw where 32-bit code runs, else mingw64) and tests
#   build/<preset>. With BUILD_DIR it builds nothing and takes the launcher
#   and the helpers (java.exe, msgbox.exe, window_probe.exe) from there.
# Environment: WINE_TESTS="name ..." runs only those scenarios;
#   WL_FORCE_MODE=32|64 overrides the host probe.
# Screenshots and the files of failed scenarios go to BUILD_DIR/wine-artifacts.
# Ends with "N passed, M failed"; exits non-zero when any scenario failed.
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$HERE/lib.sh"

CAPTION="Dovern Professional SMS Server"
EXE_NAME=DovernProfessionalSMSServer.exe
APP_DIR='C:\Apps\Server'
PYTHON=/usr/bin/python3
M1='You have not Installed Java Runtime Environment on your computer.\r\nDownload and install Java Runtime Environment Version 1.5 or higher version.\r\nPlease refer installtion guide of Dovern SMS Server 4 Huawei 3G/HSDPA for further help'
M2='Java Runtime Environment version 1.5 or higher version is not avaiable'
COPY_ERROR='Error While Copying JAR File'
SEARCH_ERROR='Error While Searching JVM on Your Machine'

START_MS=0
now_ms() {
    local t=${EPOCHREALTIME/[.,]/}
    echo $((10#$t / 1000))
}
START_MS=$(now_ms)

wl_detect_mode
wl_describe_mode

if [[ $# -ge 1 ]]; then
    BUILD_DIR=$(cd "$1" && pwd)
else
    BUILD_DIR=$ROOT/build/$WL_PRESET
    echo "building preset $WL_PRESET"
    (cd "$ROOT" && cmake --preset "$WL_PRESET" >/dev/null && cmake --build --preset "$WL_PRESET" >/dev/null) || {
        echo "build with preset $WL_PRESET failed"
        exit 1
    }
fi
LAUNCHER=$BUILD_DIR/$EXE_NAME
HELPERS=$BUILD_DIR/tests/wine
if [[ ! -f $HELPERS/msgbox.exe ]]; then
    HELPERS=$(dirname "$(find "$BUILD_DIR" -name msgbox.exe -print -quit)")
fi
for f in "$LAUNCHER" "$HELPERS/java.exe" "$HELPERS/msgbox.exe" "$HELPERS/window_probe.exe"; do
    [[ -f $f ]] || { echo "missing $f"; exit 1; }
done
ARTIFACTS=$BUILD_DIR/wine-artifacts
rm -rf "$ARTIFACTS"
mkdir -p "$ARTIFACTS"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/wine-tests.XXXXXX")
on_exit() {
    wl_cleanup
    rm -rf "$WORK"
}
trap on_exit EXIT
trap 'exit 130' INT TERM

wl_start_xvfb "$WORK"
TEMPLATE=$WORK/template
wl_make_template "$TEMPLATE"
echo "template prefix ready after $((($(now_ms) - START_MS) / 1000)) s"

# ---- helpers used inside a scenario (each scenario runs in a subshell) ----

fail() {
    printf '%s\n' "$*" >"$SC/reason"
    exit 1
}

win_path_to_unix() { wl_unix_path "$1"; }

# Installs the java.exe stand-in into Windows folder $1 under the name $2
# (java.exe unless given); it records into C:\records\$3.txt, stays $4 ms
# and exits with $5.
put_standin() {
    local dir name=${2:-java.exe} record=$3 stay=${4:-0} code=${5:-0}
    dir=$(win_path_to_unix "$1")
    mkdir -p "$dir"
    cp "$HELPERS/java.exe" "$dir/$name"
    printf 'record=C:\\records\\%s.txt\r\nstay_ms=%s\r\nexit=%s\r\n' "$record" "$stay" "$code" \
        >"$dir/standin.cfg"
}

# A runtime folder with bin, lib and lib\ext and a stand-in in bin.
put_runtime() {
    local home=$1 record=$2 stay=${3:-0}
    local dir
    dir=$(win_path_to_unix "$home")
    mkdir -p "$dir/bin" "$dir/lib/ext"
    put_standin "$home\\bin" java.exe "$record" "$stay" 0
}

# The support files the launcher copies into a runtime, with distinct contents.
put_support_files() {
    local dir
    dir=$(win_path_to_unix 'C:\dovern\GsmModemJar')
    mkdir -p "$dir"
    local f
    for f in Comm.jar javax.comm.properties Win32com.dll jdc.jar; do
        {
            echo "support file $f"
            head -c 2048 /dev/urandom
        } >"$dir/$f"
    done
}

record_file() { win_path_to_unix "C:\\records\\$1.txt"; }

# Waits up to $2 seconds for the stand-in's record $1 to be complete.
wait_record() {
    local file deadline
    file=$(record_file "$1")
    deadline=$(($(now_ms) + $2 * 1000))
    while (($(now_ms) < deadline)); do
        if [[ -f $file ]] && grep -q '^end$' "$file"; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

record_get() { sed -n "s/^$2=//p" "$(record_file "$1")" | head -n1; }

no_record() {
    local f
    f=$(record_file "$1")
    [[ ! -e $f ]] || fail "stand-in $1 ran: $(grep -m1 '^cmdline=' "$f")"
}

no_records_at_all() {
    local dir
    dir=$(win_path_to_unix 'C:\records')
    if compgen -G "$dir/*.txt" >/dev/null; then
        fail "a stand-in ran: $(cat "$dir"/*.txt | grep -m1 '^exe=')"
    fi
}

launch() {
    local dir=${1:-$APP_DIR}
    LAUNCH_MS=$(now_ms)
    (cd "$SC" && exec "$WL_WINE" "$dir\\$EXE_NAME") >"$SC/launcher.log" 2>&1 &
    LAUNCHER_PID=$!
}

since_launch_ms() { echo $(($(now_ms) - LAUNCH_MS)); }

expect_exit() {
    local want=$1 secs=$2
    wl_wait_exit "$LAUNCHER_PID" "$secs"
    [[ $WL_EXIT_STATUS == "$want" ]] ||
        fail "launcher exit status $WL_EXIT_STATUS after $(since_launch_ms) ms, expected $want"
}

probe() {
    wl_wine 60 'C:\tools\window_probe.exe' "$@" | tr -d '\r'
}

kv() { sed -n "s/^$1=//p" <<<"$2" | head -n1; }

# Answers the next message box; sets BOX_RC, BOX_CAPTION, BOX_TEXT, BOX_OUT.
next_box() {
    BOX_RC=0
    BOX_OUT=$(wl_wine 60 'C:\tools\msgbox.exe' --timeout "$1" | tr -d '\r') || BOX_RC=$?
    printf '%s\n--\n' "$BOX_OUT" >>"$SC/boxes.out"
    BOX_CAPTION=$(kv caption "$BOX_OUT")
    BOX_TEXT=$(kv text "$BOX_OUT")
}

# Expects the next box to be an OK-only box without icon and with our
# caption; with an argument, also its exact text (CR and LF escaped).
expect_box() {
    next_box 10000
    case $BOX_RC in
    0) ;;
    2) fail "no message box appeared${1:+ (expected \"$1\")}" ;;
    3) fail "box \"$BOX_TEXT\" is not OK-only without icon: buttons=$(kv buttons "$BOX_OUT") icon=$(kv icon "$BOX_OUT")" ;;
    *) fail "msgbox helper failed ($BOX_RC): $BOX_OUT" ;;
    esac
    [[ $BOX_CAPTION == "$CAPTION" ]] || fail "box caption \"$BOX_CAPTION\""
    if [[ $# -ge 1 && $BOX_TEXT != "$1" ]]; then
        fail "box text \"$BOX_TEXT\", expected \"$1\""
    fi
}

# The command line the launcher must give the server, built from the
# launcher's folder $1 and the runtime home $2 (empty: found by search).
expected_cmdline() {
    local app=$1 home=$2 line entry
    if [[ -z $home ]]; then
        line='java '
    elif [[ $home == *[[:blank:]]* ]]; then
        line="\"$home\\bin\\java.exe\" "
    else
        line="$home\\bin\\java.exe "
    fi
    line+='-classpath '
    for entry in lib\\comm.jar lib\\jdc.jar lib\\jxl.jar lib\\log4j-1.2.8.jar \
        lib\\slf4j-api-1.1.0.jar lib\\slf4j-log4j12-1.1.0.jar lib\\slf4j-simple-1.1.0.jar \
        lib\\swing-layout-1.0.jar Dovern_Professional_SMS_Server.jar; do
        line+="\"$app\\SMSServer\\$entry\";"
    done
    line+="\"$app\\SMSServer\" JavaSwingClasses.MainFrame"
    printf '%s' "$line"
}

# Checks the record $1 of a started server: exact command line for folder $2
# and runtime home $3, working directory, hidden show state, one start only.
check_server_start() {
    local record=$1 app=$2 home=$3 want got
    want=$(expected_cmdline "$app" "$home")
    got=$(record_get "$record" cmdline)
    [[ $got == "$want" ]] || fail "command line ${#got} chars: [$got], expected ${#want} chars: [$want]"
    got=$(record_get "$record" cwd)
    [[ $got == "$app" ]] || fail "server working directory [$got], expected [$app]"
    local flags show
    flags=$(record_get "$record" flags)
    show=$(record_get "$record" show)
    ((flags & 1)) || fail "STARTF_USESHOWWINDOW not set (dwFlags=$flags)"
    [[ $show == 0 ]] || fail "wShowWindow=$show, expected SW_HIDE"
    # A console program started with CREATE_NO_WINDOW has a console but no window.
    [[ $(record_get "$record" console_window) == 0 ]] ||
        fail "the server got a console window (visible: $(record_get "$record" console_visible))"
    local starts
    starts=$(grep -c '^begin$' "$(record_file "$record")")
    [[ $starts == 1 ]] || fail "server started $starts times"
}

# Lists a folder tree in lower case, one relative path a line.
tree_of() {
    (cd "$(win_path_to_unix "$1")" && find . -type f | sed 's|^\./||' | tr '[:upper:]' '[:lower:]' | sort)
}

# Unix path of the file matching Windows path $1 whatever the case of its name.
find_nocase() {
    local p
    p=$(win_path_to_unix "$1")
    find "$(dirname "$p")" -maxdepth 1 -iname "$(basename "$p")" -print -quit 2>/dev/null
}

# ---- scenarios ----

sc_splash() {
    launch
    local out big
    # The window shows before its picture is decoded and painted; give the first
    # paint a moment before the screenshot.
    out=$(probe --timeout 10000 --sleep 300 "$CAPTION") || fail "no visible window \"$CAPTION\""
    timeout 20 import -window root "$SC/splash.png"
    big=$(probe --timeout 2000 --client 600 600 --sleep 300 "$CAPTION") ||
        fail "window gone before it could be enlarged"
    timeout 20 import -window root "$SC/splash-enlarged.png"
    printf '%s\n%s\n' "$out" "$big" >"$SC/probe.out"
    cp "$SC/splash.png" "$SC/splash-enlarged.png" "$ARTIFACTS/"

    local l t r b w h sw shw
    read -r l t r b <<<"$(kv window "$out")"
    read -r sw shw <<<"$(kv screen "$out")"
    w=$((r - l))
    h=$((b - t))
    [[ $(kv client "$out") == "487 492" ]] || fail "client area $(kv client "$out"), expected 487 492"
    [[ $(kv dpi "$out") == 96 ]] || fail "dpi $(kv dpi "$out")"
    local dx=$((2 * l - (sw - w))) dy=$((2 * t - (shw - h)))
    ((dx >= -2 && dx <= 2 && dy >= -2 && dy <= 2)) ||
        fail "window $l $t $r $b not centred on ${sw}x$shw"
    local bit
    for bit in caption_bar sysmenu minbox maxbox thickframe taskbar visible; do
        [[ $(kv $bit "$out") == 1 ]] || fail "$bit missing (style $(kv style "$out"), exstyle $(kv exstyle "$out"))"
    done
    for bit in popup iconic zoomed; do
        [[ $(kv $bit "$out") == 0 ]] || fail "unexpected $bit (style $(kv style "$out"))"
    done

    local ox oy bx by shot_ms
    read -r ox oy <<<"$(kv client_origin "$out")"
    read -r bx by <<<"$(kv resized_client_origin "$big")"
    [[ $(kv resized_client "$big") == "600 600" ]] || fail "enlarging gave $(kv resized_client "$big")"
    shot_ms=$(kv resized_ms_since_start "$big")
    local problems
    problems=$("$PYTHON" "$HERE/check_splash.py" "$SC/splash.png" "$ox" "$oy" \
        "$SC/splash-enlarged.png" "$bx" "$by" 600 600) || fail "screenshots: ${problems//$'\n'/; }"

    local hid at
    hid=$(probe --any --timeout 2000 --wait-hidden 8000 "$CAPTION") || fail "window not hidden within 8 s"
    at=$(kv hidden_at_ms "$hid")
    # A 2000 ms timer started after the process was created cannot fire earlier.
    ((at >= 1950 && at <= 4000)) || fail "window hidden $at ms after the process started, expected 1950-4000"
    ((shot_ms < at)) || fail "screenshots were late ($shot_ms ms, hidden at $at ms)"
}

sc_close_before_tick() {
    put_runtime 'C:\Java\jre6' jre6
    wl_add_runtime 1.6.0_45 'C:\Java\jre6'
    put_standin 'C:\windows' java.exe windows
    launch
    local out
    out=$(probe --timeout 10000 --sleep 300 --close "$CAPTION") || fail "no window to close"
    local at
    at=$(kv ms_since_start "$out")
    ((at < 1400)) || fail "test too slow: window found only at $at ms"
    expect_exit 0 6
    next_box 500
    [[ $BOX_RC == 2 ]] || fail "message box after close: \"$BOX_TEXT\""
    no_records_at_all
}

sc_no_runtime_key() {
    put_standin 'C:\windows' java.exe windows
    launch
    expect_box "$M1"
    expect_exit 1 5
    no_records_at_all
}

sc_only_old_versions() {
    put_runtime 'C:\Java\jre14' jre14
    put_runtime 'C:\Java\jre142' jre142
    put_standin 'C:\windows' java.exe windows
    wl_add_runtime 1.4 'C:\Java\jre14'
    wl_add_runtime 1.4.2_19 'C:\Java\jre142'
    launch
    expect_box "$M2"
    expect_exit 1 5
    no_records_at_all
}

sc_runtime_key_without_subkeys() {
    put_standin 'C:\windows' java.exe windows
    wl_wine 30 reg add 'HKLM\SOFTWARE\JavaSoft\Java Runtime Environment' /v CurrentVersion \
        /t REG_SZ /d 1.6 /f "$WL_REGVIEW" >/dev/null
    launch
    expect_box "$M2"
    expect_exit 1 5
    no_records_at_all
}

# Also the long one: the launcher must outlive its server until Timer2's
# first tick and then end with status 0.
sc_first_suitable_and_watch() {
    put_support_files
    put_runtime 'C:\Java\jre18' jre18
    put_runtime 'C:\Java\jre14' jre14
    put_runtime 'C:\Java\jre16' jre16 3000
    put_standin 'C:\windows' java.exe windows
    wl_add_runtime 1.8 'C:\Java\jre18'
    wl_add_runtime 1.4 'C:\Java\jre14'
    wl_add_runtime 1.6 'C:\Java\jre16'
    launch
    wait_record jre16 12 || fail "runtime 1.6 not started within 12 s"
    check_server_start jre16 "$APP_DIR" 'C:\Java\jre16'
    [[ $(record_get jre16 argc) == 4 ]] || fail "argc $(record_get jre16 argc), expected 4"
    [[ $(record_get jre16 argv0) == 'C:\Java\jre16\bin\java.exe' ]] || fail "argv0 $(record_get jre16 argv0)"
    no_record jre14
    no_record jre18
    no_record windows

    while (($(since_launch_ms) < 25000)); do sleep 0.2; done
    kill -0 "$LAUNCHER_PID" 2>/dev/null || fail "launcher ended before the first watch tick ($(since_launch_ms) ms)"
    expect_exit 0 12
    local ended
    ended=$(since_launch_ms)
    ((ended >= 30000 && ended <= 35000)) || fail "launcher ended at $ended ms, expected 30000-35000"
}

sc_support_files_copied() {
    put_support_files
    put_runtime 'C:\Java\jre6' jre6
    local home ext src
    home=$(win_path_to_unix 'C:\Java\jre6')
    src=$(win_path_to_unix 'C:\dovern\GsmModemJar')
    ext=$home/lib/ext
    printf 'older jdc, must stay\n' >"$ext/jdc.jar"
    cp "$ext/jdc.jar" "$SC/jdc.before"
    wl_add_runtime 1.6.0_45 'C:\Java\jre6'
    launch
    wait_record jre6 12 || fail "server not started within 12 s"
    local f
    for f in 'lib\ext\Comm.jar' 'lib\javax.comm.properties' 'bin\Win32com.dll'; do
        local copy
        copy=$(find_nocase "C:\\Java\\jre6\\$f")
        [[ -n $copy ]] || fail "$f not copied"
        cmp -s "$copy" "$src/${f##*\\}" || fail "$f differs from its source"
    done
    cmp -s "$ext/jdc.jar" "$SC/jdc.before" || fail "existing lib\\ext\\jdc.jar was replaced"
    local want got
    want=$(printf '%s\n' bin/java.exe bin/standin.cfg bin/win32com.dll lib/ext/comm.jar \
        lib/ext/jdc.jar lib/javax.comm.properties | sort)
    got=$(tree_of 'C:\Java\jre6')
    [[ $got == "$want" ]] || fail "runtime folder holds: ${got//$'\n'/ }"
}

sc_minimised_splash() {
    put_support_files
    put_runtime 'C:\Java\jre6' jre6
    wl_add_runtime 1.6.0_45 'C:\Java\jre6'
    launch
    probe --timeout 10000 --minimize --sleep 300 "$CAPTION" >/dev/null || fail "no window to minimise"
    local min hid at
    min=$(probe --any --timeout 2000 "$CAPTION") || fail "window gone after minimising"
    [[ $(kv iconic "$min") == 1 ]] || fail "window not minimised"
    hid=$(probe --any --timeout 2000 --wait-hidden 8000 "$CAPTION") || fail "window not hidden within 8 s"
    at=$(kv hidden_at_ms "$hid")
    ((at >= 1950 && at <= 4000)) || fail "minimised window hidden at $at ms, expected 1950-4000"
    wait_record jre6 12 || fail "server not started within 12 s"
}

sc_missing_support_folder() {
    put_runtime 'C:\Java\jre6' jre6
    wl_add_runtime 1.6.0_45 'C:\Java\jre6'
    launch
    expect_box
    local first=$BOX_TEXT
    [[ -n $first && $first != "$COPY_ERROR" ]] || fail "first box \"$first\" is not the system's description"
    [[ $first != *%* ]] || fail "first box \"$first\" shows an unfilled insert"
    expect_box "$COPY_ERROR"
    wait_record jre6 12 || fail "server not started after the copy error"
    check_server_start jre6 "$APP_DIR" 'C:\Java\jre6'
    local got
    got=$(tree_of 'C:\Java\jre6')
    [[ $got == $'bin/java.exe\nbin/standin.cfg' ]] || fail "runtime folder holds: ${got//$'\n'/ }"
}

sc_missing_ext_folder() {
    put_support_files
    put_runtime 'C:\Java\jre6' jre6
    rmdir "$(win_path_to_unix 'C:\Java\jre6\lib\ext')"
    wl_add_runtime 1.6.0_45 'C:\Java\jre6'
    launch
    expect_box
    [[ -n $BOX_TEXT && $BOX_TEXT != "$COPY_ERROR" ]] || fail "first box \"$BOX_TEXT\" is not the system's description"
    expect_box "$COPY_ERROR"
    wait_record jre6 12 || fail "server not started after the copy error"
    [[ ! -e $(win_path_to_unix 'C:\Java\jre6\lib\ext') ]] || fail "lib\\ext was created"
    local got
    got=$(tree_of 'C:\Java\jre6')
    [[ $got == $'bin/java.exe\nbin/standin.cfg' ]] || fail "copying went on after the first failure: ${got//$'\n'/ }"
}

sc_missing_javahome() {
    put_standin 'C:\windows' java.exe windows
    wl_add_runtime 1.6.0_45
    launch
    expect_box 'Unsupported value type'
    expect_box "$SEARCH_ERROR"
    wait_record windows 12 || fail "\"java\" not started through the program search"
    check_server_start windows "$APP_DIR" ''
    local got
    got=$(record_get windows cmdline)
    [[ ${#got} == 508 ]] || fail "command line has ${#got} characters"
}

sc_letter_subkey() {
    put_runtime 'C:\Java\jre14' jre14
    put_runtime 'C:\Java\latest' latest
    put_standin 'C:\windows' java.exe windows
    wl_add_runtime 1.4 'C:\Java\jre14'
    wl_add_runtime Latest 'C:\Java\latest'
    launch
    expect_box 'Type mismatch'
    expect_box "$SEARCH_ERROR"
    wait_record windows 12 || fail "\"java\" not started through the program search"
    check_server_start windows "$APP_DIR" ''
    no_record jre14
    no_record latest
}

sc_blank_in_javahome() {
    local app='C:\Dovern SMS\Server' home='C:\Program Files\Java\jre6'
    mkdir -p "$(win_path_to_unix "$app")"
    mv "$(win_path_to_unix "$APP_DIR")/$EXE_NAME" "$(win_path_to_unix "$app")/"
    put_support_files
    put_runtime "$home" jre6
    put_standin "C:\\" Program.exe decoy
    wl_add_runtime 1.6.0_45 "$home"
    launch "$app"
    if ! wait_record jre6 12; then
        no_record decoy
        fail "runtime not started within 12 s"
    fi
    no_record decoy
    check_server_start jre6 "$app" "$home"
    [[ $(record_get jre6 argc) == 4 ]] || fail "argc $(record_get jre6 argc), expected 4"
    [[ $(record_get jre6 argv0) == "$home\\bin\\java.exe" ]] || fail "argv0 [$(record_get jre6 argv0)]"
    [[ $(record_get jre6 argv1) == -classpath ]] || fail "argv1 [$(record_get jre6 argv1)]"
    local classpath
    classpath=$(expected_cmdline "$app" "$home")
    classpath=${classpath#*-classpath }
    classpath=${classpath% JavaSwingClasses.MainFrame}
    classpath=${classpath//\"/}
    [[ $(record_get jre6 argv2) == "$classpath" ]] || fail "classpath argument [$(record_get jre6 argv2)]"
    [[ $(record_get jre6 argv3) == JavaSwingClasses.MainFrame ]] || fail "argv3 [$(record_get jre6 argv3)]"
}

sc_failing_start() {
    put_support_files
    local home='C:\Java\broken'
    mkdir -p "$(win_path_to_unix "$home")/bin" "$(win_path_to_unix "$home")/lib/ext"
    put_standin 'C:\windows' java.exe windows
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
    put_support_files
    put_runtime 'C:\Java\jre6' jre6
    put_standin 'C:\windows' java.exe windows
    wl_add_runtime 1.6.0_45 'C:\Java\jre6'
    launch
    probe --timeout 10000 "$CAPTION" >/dev/null || fail "no splash window"
    local at
    at=$(since_launch_ms)
    ((at < 1500)) || fail "test too slow: window found only at $at ms"
    mv "$(win_path_to_unix "$APP_DIR")" "$(win_path_to_unix "$APP_DIR")-gone"
    expect_box
    [[ $BOX_TEXT =~ ^Run-time\ error\ \'(2|3)\':\\r\\n\\r\\n.+ ]] || fail "box text \"$BOX_TEXT\""
    [[ $BOX_TEXT != *%* ]] || fail "box \"$BOX_TEXT\" shows an unfilled insert"
    expect_exit 1 5
    no_records_at_all
}

# ---- runner ----

PASSED=0
FAILED=0
SELECTED=${WINE_TESTS:-}

run_scenario() {
    local name=$1 func=$2
    if [[ -n $SELECTED && " $SELECTED " != *" $name "* ]]; then
        return 0
    fi
    local t0 rc=0
    t0=$(now_ms)
    SC=$WORK/$name
    mkdir -p "$SC"
    wl_copy_prefix "$TEMPLATE" "$SC/pfx"
    set +e
    (
        set -eE
        trap 'echo "unexpected failure at line $LINENO: $BASH_COMMAND" >"$SC/reason"' ERR
        timeout 30 wineserver -p >/dev/null 2>&1
        mkdir -p "$(win_path_to_unix "$APP_DIR")" "$(win_path_to_unix 'C:\tools')" \
            "$(win_path_to_unix 'C:\records')"
        cp "$LAUNCHER" "$(win_path_to_unix "$APP_DIR")/"
        cp "$HELPERS/msgbox.exe" "$HELPERS/window_probe.exe" "$(win_path_to_unix 'C:\tools')/"
        # Starts the desktop process so the launcher's first window is not late.
        wl_wine 60 'C:\tools\window_probe.exe' --timeout 0 warm-up >/dev/null 2>&1 || true
        "$func"
    )
    rc=$?
    set -e
    local secs
    secs=$(((($(now_ms) - t0) + 500) / 1000))
    if [[ $rc == 0 ]]; then
        echo "ok $name (${secs} s)"
        PASSED=$((PASSED + 1))
    else
        local reason="exit status $rc"
        [[ -f $SC/reason ]] && reason=$(<"$SC/reason")
        local open
        open=$(wl_wine 20 'C:\tools\msgbox.exe' --timeout 300 2>/dev/null | tr -d '\r' | sed -n 's/^text=//p') || true
        [[ -n $open ]] && reason+=" [open message box: \"$open\"]"
        echo "FAIL $name: $reason"
        FAILED=$((FAILED + 1))
        mkdir -p "$ARTIFACTS/$name"
        cp -r "$(win_path_to_unix 'C:\records')" "$ARTIFACTS/$name/" 2>/dev/null || true
        find "$SC" -maxdepth 1 -type f -exec cp {} "$ARTIFACTS/$name/" \;
    fi
    wl_stop_wine
    rm -rf "$SC"
}

run_scenario splash sc_splash
run_scenario close-before-tick sc_close_before_tick
run_scenario no-runtime-key sc_no_runtime_key
run_scenario only-old-versions sc_only_old_versions
run_scenario runtime-key-without-subkeys sc_runtime_key_without_subkeys
run_scenario support-files-copied sc_support_files_copied
run_scenario minimised-splash sc_minimised_splash
run_scenario missing-support-folder sc_missing_support_folder
run_scenario missing-ext-folder sc_missing_ext_folder
run_scenario missing-javahome sc_missing_javahome
run_scenario letter-subkey sc_letter_subkey
run_scenario blank-in-javahome sc_blank_in_javahome
run_scenario failing-start sc_failing_start
run_scenario app-folder-gone sc_app_folder_gone
run_scenario first-suitable-and-watch sc_first_suitable_and_watch

echo "artefacts: $ARTIFACTS"
echo "wine tests took $((($(now_ms) - START_MS + 500) / 1000)) s"
echo "$PASSED passed, $FAILED failed"
[[ $FAILED == 0 ]]
