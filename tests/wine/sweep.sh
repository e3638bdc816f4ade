#!/usr/bin/env bash
# Runs the launcher under Wine many times, each run drawn from its seed: a
# set-up, up to three events from outside in the first ten seconds (a close, a
# minimise, a maximise, a restore, a move) and how long each message box stays
# open before it is answered. After every run it checks what must hold
# whatever was drawn: no crash, at most one server start and exactly the right
# one, the boxes the set-up allows in their order, the launcher's end, and the
# runtime's files.
#
# usage: tests/wine/sweep.sh [--seconds S] [RUNS [SEED]]
#   Sweeps in every configuration this host runs (tests/wine/lib.sh: as on
#   32-bit and on 64-bit Windows), one after the other, RUNS runs in each (20
#   unless given, unbounded with --seconds). Run i (from 0, counted on across
#   the configurations) draws from seed SEED+i; SEED is drawn itself unless
#   given, so "WL_CONFIGS=wow64 sweep.sh 1 SEED" replays one run. --seconds S
#   is shared out among the configurations; each starts no run that is likely
#   to end after its share, and skips the runs drawn too long for the time
#   left.
# Builds the preset each configuration runs (as run_wine_tests.sh does); the
# files of failed runs go to build/<preset>/sweep-artifacts/<config>/<seed>.
# Environment: WL_CONFIGS="win32 wow64 x64" (any of them) overrides the host
#   probe.
# Ends with "N passed, M failed"; exits non-zero when any run failed.
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$HERE/lib.sh"

usage() {
    echo "usage: tests/wine/sweep.sh [--seconds S] [RUNS [SEED]]" >&2
    exit 2
}
BUDGET_S=""
if [[ ${1:-} == --seconds ]]; then
    [[ ${2:-} =~ ^[0-9]+$ ]] || usage
    BUDGET_S=$2
    shift 2
fi
(($# <= 2)) || usage
RUNS=${1:-}
[[ -z $RUNS || $RUNS =~ ^[0-9]+$ ]] || usage
[[ -n $RUNS || -n $BUDGET_S ]] || RUNS=20
SEED=${2:-$((($(wl_now_us) ^ $$) % 1000000000))}
[[ $SEED =~ ^[0-9]+$ ]] || usage

APP_DIR='C:\Apps\Server'
# Whatever a set-up registers, "java" through the program search finds this
# stand-in, so that a start from the wrong place is recorded as well.
PATH_JAVA='C:\windows'
# A run's launcher ends within this long after what ends it.
MARGIN_MS=4000
WATCH_MS=30000
# The texts the system gives under Wine for a missing source folder and a
# missing program.
TEXT_PATH_NOT_FOUND='Path not found.'
TEXT_NO_PROGRAM="Run-time error '2':\\r\\n\\r\\nFile not found."

# ---- drawing ----

# The C library's linear congruential generator, so that a seed draws the same
# run in every shell.
RNG=0
draw() {
    RNG=$(((RNG * 1103515245 + 12345) & 0x7fffffff))
    DRAWN=$(((RNG >> 8) % $1))
}

SETUPS=(no-key old-only non-numeric-first good no-support-folder empty-javahome no-java-exe)
EVENT_KINDS=(close minimize maximize restore move)
EXIT_CODES=(0 1 3)

# Draws run $1's plan: SETUP, RT_HOME (the runtime's home), PRESENT (support
# files already in the runtime), STAY_MS and EXIT_CODE of the server, WATCH
# (wait for the watch to end the launcher), EVENTS ("kind at_ms [x y]") and
# DELAYS (per box, ms).
# Everything is drawn whatever the set-up, so that one field never shifts
# another.
draw_plan() {
    RNG=$(($1 & 0x7fffffff))
    draw 2
    draw 2
    draw ${#SETUPS[@]}
    SETUP=${SETUPS[DRAWN]}
    draw ${#HOMES[@]}
    RT_HOME=${HOMES[DRAWN]}
    PRESENT=()
    local f i n
    for f in "${WL_SUPPORT_FILES[@]}"; do
        draw 4
        ((DRAWN > 0)) || PRESENT+=("$f")
    done
    draw 81
    STAY_MS=$((DRAWN * 500))
    draw ${#EXIT_CODES[@]}
    EXIT_CODE=${EXIT_CODES[DRAWN]}
    draw 5
    WATCH=$((DRAWN == 0))
    draw 4
    n=$DRAWN
    EVENTS=()
    for ((i = 0; i < n; i++)); do
        draw ${#EVENT_KINDS[@]}
        local kind=${EVENT_KINDS[DRAWN]}
        draw 101
        local at=$((DRAWN * 100))
        draw 50
        local x=$((DRAWN * 10))
        draw 40
        local y=$((DRAWN * 10))
        if [[ $kind == move ]]; then
            EVENTS+=("$kind $at $x $y")
        else
            EVENTS+=("$kind $at")
        fi
    done
    DELAYS=()
    for ((i = 0; i < 4; i++)); do
        draw 61
        DELAYS+=($((DRAWN * 100)))
    done
}

describe_plan() {
    local text="setup=$SETUP" e events=() f present=()
    case $SETUP in
    good | no-support-folder | no-java-exe | non-numeric-first) text+=" home='$RT_HOME'" ;;
    esac
    for f in "${PRESENT[@]}"; do present+=("${f##*\\}"); done
    case $SETUP in good | no-java-exe) text+=" present=[${present[*]}]" ;; esac
    text+=" server=$((STAY_MS / 1000)).$((STAY_MS % 1000 / 100))s,exit=$EXIT_CODE watch=$( ((WATCH)) && echo yes || echo no)"
    for e in "${EVENTS[@]}"; do
        read -r kind at x y <<<"$e"
        events+=("$kind${x:+($x,$y)}@$at")
    done
    text+=" events=[${events[*]}] answers=[${DELAYS[*]}]ms"
    echo "$text"
}

# A rough length of the run in seconds, to keep a bounded sweep in its time.
likely_seconds() {
    local s=$((8 + (DELAYS[0] + DELAYS[1]) / 1000))
    ((WATCH)) && s=$((s + 32 + (STAY_MS > WATCH_MS ? 30 : 0)))
    echo "$s"
}

# ---- one run ----

fail() { printf '%s\n' "$*" >>"$RUN/problems"; }

# The runtime homes of the set-up, for the check that nothing but the support
# files lands in them.
RUNTIMES=()

lay_out() {
    local f
    wl_put_standin "$PATH_JAVA" java.exe path "$STAY_MS" "$EXIT_CODE"
    case $SETUP in
    no-key) ;;
    old-only)
        wl_put_runtime 1.4 'C:\Java\jre14' jre14
        wl_put_runtime 1.4.2_19 'C:\Java\jre142' jre142
        RUNTIMES=('C:\Java\jre14' 'C:\Java\jre142')
        ;;
    non-numeric-first)
        # Wine lists sub-keys sorted: "(beta)" comes before the good runtime.
        wl_put_support_files
        wl_put_runtime '(beta)' 'C:\Java\beta' beta
        wl_put_runtime 1.6.0_45 "$RT_HOME" runtime
        RUNTIMES=('C:\Java\beta' "$RT_HOME")
        ;;
    good | no-java-exe)
        wl_put_support_files
        wl_put_runtime 1.6.0_45 "$RT_HOME" runtime "$STAY_MS" "$EXIT_CODE"
        [[ $SETUP == good ]] || rm "$(wl_unix_path "$RT_HOME\\bin\\java.exe")"
        for f in "${PRESENT[@]}"; do
            printf 'older %s, must stay\n' "$f" >"$(wl_unix_path "$RT_HOME\\$f")"
        done
        RUNTIMES=("$RT_HOME")
        ;;
    no-support-folder)
        wl_put_runtime 1.6.0_45 "$RT_HOME" runtime "$STAY_MS" "$EXIT_CODE"
        RUNTIMES=("$RT_HOME")
        ;;
    empty-javahome) wl_add_runtime 1.6.0_45 '' ;;
    esac
}

# Lists the files below each runtime home with their checksums.
runtime_files() {
    local home
    for home in "${RUNTIMES[@]}"; do
        (cd "$(wl_unix_path "$home")" && find . -type f -exec md5sum {} + | sed "s|  \./|  ${home//\\//}/|")
    done | sort -k2
}

# Posts the drawn events, each from its own probe that waits for its moment.
post_events() {
    local k=0 e kind at x y action
    for e in "${EVENTS[@]}"; do
        read -r kind at x y <<<"$e"
        action=(--"$kind")
        [[ $kind == move ]] && action+=("$x" "$y")
        wl_probe --any --timeout 15000 --at "$at" "${action[@]}" "$WL_CAPTION" >"$RUN/event$k.out" 2>&1 &
        EVENT_PIDS+=($!)
        k=$((k + 1))
    done
}

# Whether the start record $1 is complete.
started() { grep -q '^end$' "$(wl_record_file "$1")" 2>/dev/null; }

# Answers the boxes after their drawn delays and notes when the launcher ends,
# until the run has shown what it must: the launcher's end, or for a run that
# neither waits for the watch nor has a close, a start one second old after
# the last event. Sets END_MS (empty while it runs), STATUS, BOXES, ANSWERED_MS.
observe() {
    local last_event=0 e kind at deadline now seen_ms="" next_look=0 out rc wait_end=$WATCH
    for e in "${EVENTS[@]}"; do
        read -r kind at _ <<<"$e"
        ((at > last_event)) && last_event=$at
        [[ $kind == close ]] && wait_end=1
    done
    deadline=$((20000 + DELAYS[0] + DELAYS[1] + DELAYS[2] + DELAYS[3]))
    ((WATCH)) && deadline=$((deadline + STAY_MS + WATCH_MS + 10000))
    END_MS=""
    STATUS=""
    BOXES=0
    ANSWERED_MS=0
    while :; do
        now=$(wl_since_launch_ms)
        if [[ -z $END_MS ]] && ! kill -0 "$WL_LAUNCHER_PID" 2>/dev/null; then
            END_MS=$now
            wl_wait_exit "$WL_LAUNCHER_PID" 5
            STATUS=$WL_EXIT_STATUS
        fi
        if [[ -z $seen_ms ]] && started "$EXPECT_RECORD"; then seen_ms=$now; fi
        [[ -z $END_MS ]] || break
        ((now < deadline)) || break
        if ((!wait_end)) && [[ -n $seen_ms ]] && ((now >= last_event + 1000 && now >= seen_ms + 1000)); then
            break
        fi
        # Before the start a box is looked for all the time, then every 2 s.
        if [[ -z $seen_ms ]] || ((now >= next_look)); then
            next_look=$((now + 2000))
            rc=0
            out=$(wl_wine 60 'C:\tools\msgbox.exe' --timeout "$([[ -z $seen_ms ]] && echo 300 || echo 0)" \
                --delay "${DELAYS[BOXES % 4]}" | tr -d '\r') || rc=$?
            if [[ $rc != 2 ]]; then
                printf '%s\nrc=%s\n' "$out" "$rc" >"$RUN/box$BOXES.out"
                BOXES=$((BOXES + 1))
                ANSWERED_MS=$(wl_since_launch_ms)
                continue
            fi
        fi
        sleep 0.1
    done
    ((${#EVENT_PIDS[@]} == 0)) || wait "${EVENT_PIDS[@]}" 2>/dev/null || true
    # A launcher that ends right after the start can end before the server has
    # written its record.
    if [[ -n $END_MS && $EXPECT_RECORD != none ]]; then
        wl_wait_for_line "$(wl_record_file "$EXPECT_RECORD")" '^end$' 3 || true
    fi
}

# ---- checks ----

# What the set-up leads to when the sequence runs: EXPECT_BOXES, EXPECT_RECORD
# (the stand-in that must start, or none), EXPECT_HOME (empty: java through the
# program search), ENDS_ITSELF (1 when the launcher ends with status 1 after
# its last box) and COPIES (the support files it copies into RT_HOME).
expect_setup() {
    EXPECT_BOXES=()
    EXPECT_RECORD=none
    EXPECT_HOME=""
    ENDS_ITSELF=0
    COPIES=()
    local f
    case $SETUP in
    no-key) EXPECT_BOXES=("$WL_TEXT_NO_RUNTIME") ;;
    old-only) EXPECT_BOXES=("$WL_TEXT_NO_VERSION") ;;
    non-numeric-first) EXPECT_BOXES=('Type mismatch' "$WL_TEXT_SEARCH_ERROR") ;;
    no-support-folder) EXPECT_BOXES=("$TEXT_PATH_NOT_FOUND" "$WL_TEXT_COPY_ERROR") ;;
    no-java-exe) EXPECT_BOXES=("$TEXT_NO_PROGRAM") ;;
    esac
    case $SETUP in
    no-key | old-only | no-java-exe) ENDS_ITSELF=1 ;;
    good | no-support-folder) EXPECT_RECORD=runtime EXPECT_HOME=$RT_HOME ;;
    *) EXPECT_RECORD=path ;;
    esac
    if [[ $SETUP == good || $SETUP == no-java-exe ]]; then
        for f in "${WL_SUPPORT_FILES[@]}"; do
            [[ " ${PRESENT[*]} " == *" $f "* ]] || COPIES+=("$f")
        done
    fi
}

# The first close that found the window: CLOSE_AT (ms since the launcher's
# process started), CLOSE_WINDOW (shown or hidden) and CLOSE_FOUND (when its
# probe found the window), all empty without one.
find_close() {
    local k=0 e kind out at_window
    CLOSE_AT=""
    CLOSE_WINDOW=""
    CLOSE_FOUND=""
    for e in "${EVENTS[@]}"; do
        read -r kind _ <<<"$e"
        out=$(<"$RUN/event$k.out")
        k=$((k + 1))
        at_window=$(wl_kv at_window "$out")
        [[ $kind == close && ($at_window == shown || $at_window == hidden) ]] || continue
        if [[ -z $CLOSE_AT ]] || (($(wl_kv at_ms "$out") < CLOSE_AT)); then
            CLOSE_AT=$(wl_kv at_ms "$out")
            CLOSE_WINDOW=$at_window
            CLOSE_FOUND=$(wl_kv ms_since_start "$out")
        fi
    done
}

# Whether the first close came before the first tick: "yes", "no", or "either"
# near the tick. The tick comes 2000 ms after the window, so a close before
# 1800 ms beats it; the sequence's first step hides the window, so a close
# that finds the window hidden after it was shown comes after the tick. Only
# a minimise, maximise or restore shows the window again.
close_before_tick() {
    if ((CLOSE_AT < 1800)); then
        echo yes
    elif [[ $CLOSE_WINDOW == hidden ]] && ((CLOSE_AT >= CLOSE_FOUND + 200)); then
        echo no
    else
        echo either
    fi
}

# Record $1's value $2 in ms since the launch; nothing without one.
record_ms() {
    local v
    started "$1" || return 0
    v=$(wl_record_get "$1" "$2")
    [[ -z $v ]] || echo $((v - WL_LAUNCH_MS))
}

# Its arguments in double quotes, one after the other.
quoted() {
    local t
    for t; do printf '"%s" ' "$t"; done
}

# Each box has the caption and OK only; their texts are the set-up's, in order.
check_boxes() {
    local k out text got=()
    for ((k = 0; k < BOXES; k++)); do
        out=$(<"$RUN/box$k.out")
        text=$(wl_kv text "$out")
        got+=("$text")
        case $(wl_kv rc "$out") in
        0) ;;
        3) fail "box \"$text\" is not OK-only without icon: buttons=$(wl_kv buttons "$out") icon=$(wl_kv icon "$out")" ;;
        5) fail "box \"$text\" went before it was answered" ;;
        *) fail "box helper failed: ${out//$'\n'/ }" ;;
        esac
        [[ $(wl_kv caption "$out") == "$WL_CAPTION" ]] || fail "box \"$text\" has caption \"$(wl_kv caption "$out")\""
    done
    [[ $(quoted "${got[@]}") == "$(quoted "${EXPECT_BOXES[@]}")" ]] ||
        fail "boxes [$(quoted "${got[@]}")], expected [$(quoted "${EXPECT_BOXES[@]}")]"
}

# At most one start, from the stand-in the set-up leads to, exactly as the
# server must be started.
check_starts() {
    local f n problem
    for f in "$(wl_unix_path "$WL_RECORDS")"/*.txt; do
        [[ -e $f ]] || continue
        n=$(grep -c '^begin$' "$f") || true
        [[ $(basename "$f" .txt) == "$EXPECT_RECORD" ]] || fail "stand-in $(basename "$f" .txt) started $n times"
    done
    if [[ $EXPECT_RECORD == none ]]; then
        return 0
    fi
    if ! started "$EXPECT_RECORD"; then
        fail "the server was not started (stand-in $EXPECT_RECORD)"
    elif ! problem=$(wl_check_server_start "$EXPECT_RECORD" "$APP_DIR" "$EXPECT_HOME"); then
        fail "$problem"
    fi
}

# Nothing in the runtimes but what was there, unchanged, and the support files
# the set-up copies, as their sources.
check_runtimes() {
    local f want
    want=$(
        printf '%s\n' "$BEFORE"
        for f in "${COPIES[@]}"; do
            printf '%s  %s\n' "$(md5sum <"$(wl_unix_path "$WL_SUPPORT_DIR\\${f##*\\}")" | cut -d' ' -f1)" \
                "${RT_HOME//\\//}/${f//\\//}"
        done
    )
    want=$(sort -k2 <<<"$want" | sed '/^$/d')
    [[ $(runtime_files) == "$want" ]] ||
        fail "runtime files differ from the expected (< expected, > found):" \
            "$(diff <(echo "$want") <(runtime_files) | grep '^[<>]' | tr '\n' ' ' || true)"
}

# The launcher's end against what ends it: its last box, a close, or the
# watch after the server has ended; a run without any of these ends while the
# launcher still watches.
check_end() {
    local until=$1 started_ms ended_ms
    if [[ $until == watching ]]; then
        [[ -z $END_MS ]] || fail "launcher ended (status $STATUS) at $END_MS ms while it should watch the server"
        return 0
    fi
    if [[ -z $END_MS ]]; then
        fail "launcher still runs at $(wl_since_launch_ms) ms, expected its end (status ${until%% *})"
        return 0
    fi
    [[ $STATUS == "${until%% *}" ]] || fail "launcher exit status $STATUS, expected ${until%% *}"
    case ${until#* } in
    after-box) ((END_MS <= ANSWERED_MS + MARGIN_MS)) ||
        fail "launcher ended at $END_MS ms, its last box was answered at $ANSWERED_MS ms" ;;
    after-close)
        local cause=$CLOSE_AT
        ((ANSWERED_MS > cause)) && cause=$ANSWERED_MS
        started_ms=$(record_ms "$EXPECT_RECORD" started_ms)
        [[ -n $started_ms ]] && ((started_ms > cause)) && cause=$started_ms
        ((END_MS <= cause + MARGIN_MS)) || fail "launcher ended at $END_MS ms, the close came at $CLOSE_AT ms"
        ;;
    after-server)
        started_ms=$(record_ms "$EXPECT_RECORD" started_ms)
        ended_ms=$(record_ms "$EXPECT_RECORD" ended_ms)
        if [[ -z $ended_ms ]]; then
            fail "launcher ended at $END_MS ms while the server still ran"
        elif ((END_MS < ended_ms || END_MS < started_ms + WATCH_MS - 1000)); then
            fail "launcher ended at $END_MS ms, before its first watch tick after the server's end" \
                "(server from $started_ms to $ended_ms ms)"
        elif ((END_MS > ended_ms + WATCH_MS + MARGIN_MS)); then
            fail "launcher ended at $END_MS ms, more than one watch interval after the server's end at $ended_ms ms"
        fi
        ;;
    esac
}

check_run() {
    if grep -q 'Unhandled\|starting debugger' "$RUN/launcher.log"; then
        fail "Wine reports: $(grep -m1 'Unhandled\|starting debugger' "$RUN/launcher.log")"
    fi
    find_close
    # A close before the first tick ends the launcher without launching; one
    # after it waits for the sequence. Near the tick the run's own outcome
    # tells which of the two it met.
    local before_tick=no until
    [[ -n $CLOSE_AT ]] && before_tick=$(close_before_tick)
    if [[ $before_tick == either && $BOXES == 0 && $STATUS == 0 ]] &&
        ! compgen -G "$(wl_unix_path "$WL_RECORDS")/*.txt" >/dev/null; then
        before_tick=yes
    fi
    if [[ $before_tick == yes ]]; then
        EXPECT_BOXES=()
        EXPECT_RECORD=none
        COPIES=()
        until="0 after-close"
        ANSWERED_MS=0
    elif ((ENDS_ITSELF)); then
        until="1 after-box"
    elif [[ -n $CLOSE_AT ]]; then
        until="0 after-close"
    elif ((WATCH)); then
        until="0 after-server"
    else
        until=watching
    fi
    check_boxes
    check_starts
    check_runtimes
    check_end "$until"
}

# What the run showed, in one line.
outcome() {
    local text="boxes $BOXES"
    if started "$EXPECT_RECORD"; then text+=", started $EXPECT_RECORD"; fi
    [[ -n $CLOSE_AT ]] && text+=", closed at $CLOSE_AT ms ($CLOSE_WINDOW)"
    if [[ -n $END_MS ]]; then
        text+=", exit $STATUS at $END_MS ms"
    else
        text+=", watching at $(wl_since_launch_ms) ms"
    fi
    echo "$text"
}

run_one() {
    EVENT_PIDS=()
    RUNTIMES=()
    timeout 30 wineserver -p >/dev/null 2>&1
    wl_put_launcher "$APP_DIR"
    # Starts the desktop process so the launcher's first window is not late.
    wl_probe --timeout 0 warm-up >/dev/null 2>&1 || true
    lay_out
    expect_setup
    BEFORE=$(runtime_files)
    wl_launch "$APP_DIR" "$RUN"
    post_events
    observe
    check_run
    outcome >"$RUN/outcome"
}

# ---- the sweep ----

# Runs the sweep in the current configuration: runs from seed SEED on, until
# RUNS runs or, with $1, until $1 seconds are used up. Counts into PASSED,
# FAILED, FAILED_SEEDS and SKIPPED.
sweep_runs() {
    local budget=${1:-} start i seed elapsed t0 secs
    WL_BUILD=$WL_ROOT/build/$WL_PRESET
    WL_HELPERS=$WL_BUILD/tests/wine
    wl_build "$WL_PRESET" || return 1
    ARTIFACTS=$WL_BUILD/sweep-artifacts/$WL_CONFIG
    rm -rf "$ARTIFACTS"
    # A crash ends the launcher with Wine's report instead of waiting in a dialog.
    WINEPREFIX=$TEMPLATE wl_wine 30 reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
        /t REG_DWORD /d 0 /f >/dev/null
    WINEPREFIX=$TEMPLATE timeout 60 wineserver -w
    start=$(wl_now_ms)
    echo "sweep in $WL_CONFIG from seed $SEED: ${RUNS:-unbounded} runs${budget:+ within $budget s}"
    for ((i = 0; i < ${RUNS:-1000000000}; i++)); do
        seed=$((SEED + i))
        draw_plan "$seed"
        if [[ -n $budget ]]; then
            elapsed=$((($(wl_now_ms) - start) / 1000))
            ((elapsed + 8 <= budget)) || break
            if ((elapsed + $(likely_seconds) > budget)); then
                SKIPPED=$((SKIPPED + 1))
                continue
            fi
        fi
        echo "run $((PASSED + FAILED + 1)) seed $seed: $(describe_plan)"
        t0=$(wl_now_ms)
        # A fresh copy of the template for every run.
        RUN=$WL_WORK/run-$seed
        mkdir -p "$RUN"
        wl_copy_prefix "$TEMPLATE" "$RUN/pfx"
        set +e
        (
            set -eE
            trap 'echo "sweep error at line $LINENO: $BASH_COMMAND" >>"$RUN/problems"' ERR
            run_one
        )
        set -e
        secs=$(((($(wl_now_ms) - t0) + 500) / 1000))
        if [[ ! -s $RUN/problems ]]; then
            echo "  ok: $(cat "$RUN/outcome") ($secs s)"
            PASSED=$((PASSED + 1))
        else
            echo "  FAIL: $(paste -sd';' "$RUN/problems")"
            [[ -f $RUN/outcome ]] && echo "  observed: $(cat "$RUN/outcome")"
            echo "  replay: ${REPLAY_ENV}tests/wine/sweep.sh 1 $seed"
            FAILED=$((FAILED + 1))
            FAILED_SEEDS+=("$seed")
            mkdir -p "$ARTIFACTS/$seed"
            cp -r "$(wl_unix_path "$WL_RECORDS")" "$ARTIFACTS/$seed/" 2>/dev/null || true
            find "$RUN" -maxdepth 1 -type f -exec cp {} "$ARTIFACTS/$seed/" \;
        fi
        wl_stop_wine
        rm -rf "$RUN"
    done
    # The next configuration draws new runs.
    SEED=$((SEED + i))
}

PASSED=0
FAILED=0
SKIPPED=0
FAILED_SEEDS=()
SWEEP_START=$(wl_now_ms)

read -r -a CONFIGS <<<"$(wl_host_configs)"
wl_set_up wine-sweep || exit 1
for config in "${CONFIGS[@]}"; do
    wl_use_config "$config" || exit 1
    echo "configuration $(wl_describe_config)"
    # What a replay needs to run in the same configuration.
    REPLAY_ENV="WL_CONFIGS=$config "
    # A runtime's home with a blank lies where the launcher's own kind of
    # program is installed.
    HOMES=('C:\Java\jre6' "$WL_PROGRAM_FILES\Java\jre6")
    TEMPLATE=$WL_WORK/$config/template
    wl_new_prefix "$TEMPLATE" || exit 1
    sweep_runs ${BUDGET_S:+$((BUDGET_S / ${#CONFIGS[@]}))} || exit 1
done

total_ms=$(($(wl_now_ms) - SWEEP_START))
runs=$((PASSED + FAILED))
echo "sweep: $runs runs in $(((total_ms + 500) / 1000)) s," \
    "$((runs * 600000 / (total_ms + 1) / 10)).$((runs * 600000 / (total_ms + 1) % 10)) runs per minute"
((SKIPPED == 0)) || echo "$SKIPPED drawn runs skipped as too long for the time left"
((FAILED == 0)) || echo "failed seeds: ${FAILED_SEEDS[*]}"
echo "$PASSED passed, $FAILED failed"
((FAILED == 0))
