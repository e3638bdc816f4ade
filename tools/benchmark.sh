#!/usr/bin/env bash
# Measures the launcher against bare floor programs built with the same
# toolchain and flags, in each configuration this host runs (see
# tests/wine/lib.sh: where 32-bit code runs, the PE32 and its i686 floors in a
# 32-bit prefix and in a 64-bit one through WoW64; elsewhere the x86-64 build
# and its floors), and prints one table per configuration, labelled with it,
# of figure, floor, ratio and target; then the i686 executable's size.
#
# usage: tools/benchmark.sh
#
# Figures of one configuration, on one prefix whose wineserver stays warm:
#   1. start: from just before `wine prog.exe` until the splash window is
#      visible; launcher vs tests/bench/bench_window.cpp (a bare window of the
#      splash's size); median of 20 runs each in ABBA order (a run takes half
#      a second, and single runs scatter by +-15%).
#   2. launch: CPU time of the process from its start until the server's
#      stand-in java.exe has started; launcher vs tests/bench/bench_splash.cpp
#      told to start the same stand-in (the splash's window and picture for
#      2 s, then one hidden start: what the launch needs but the registry, the
#      support files and the command line); median of 20 runs each in ABBA
#      order (single runs scatter by +-20%).
#   3. resident: CPU time from 1 s after the server's start over 62 s, which
#      hold two ticks of the 30 s server watch; launcher vs
#      tests/bench/bench_watch.cpp (a 30 s timer loop that makes the watch's three calls on each tick, never showed a
#      window) over the same span after its start. And the resident set
#      (VmRSS) at the end, launcher vs bench_splash. Median of 9 runs (a
#      few ms in a minute scatter by a factor of two and more); in a
#      run the three programs run side by side, started together (a
#      different one first each run), so that their windows hold no start.
#      The resident set of the last run is split by mapping (/proc/PID/smaps).
#   CPU time is taken from /proc/PID/task/*/schedstat (nanoseconds);
#   user+sys from /proc/PID/stat is printed beside it: it counts whole 10 ms
#   ticks, but also threads that have ended.
# Once: the launcher's i686 executable (preset mingw, the product) vs
# tests/bench/bench_size.cpp (std::wstring and exceptions), the splash
# picture's bytes allowed on top, with both executables' sections.
# Targets: start ratio at most 1.0; launch and resident CPU at most 1.10;
# resident set at most 1.05; size at most 1.0 x floor + picture bytes. A
# missed target is a result, not an error.
#
# Xvfb is started on a free display. Builds go to build/bench-<preset>,
# apart from the developers' build trees. A full run takes about 14 minutes
# per configuration.
#
# Environment:
#   BENCH_QUICK=1         trial run: 4 start runs, 2 launch runs, 1 resident
#                         run of 32 s (one tick) per program; not the figure
#   BENCH_START_RUNS=N    start runs per program (default 20)
#   BENCH_LAUNCH_RUNS=N   launch runs per program (default 20)
#   BENCH_WATCH_RUNS=N    resident runs (default 9)
#   BENCH_WATCH_SECS=S    resident window in seconds (default 62)
#   BENCH_KEEP=1          keep the work directory (prefixes and logs)
#   WL_CONFIGS="..."      the configurations (win32, wow64, x64) instead of
#                         the host probe's
#
# Exit: 0 when every figure was measured, whether or not its target was met;
# 1 when something could not be built or measured.
set -euo pipefail
shopt -s inherit_errexit

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=tests/wine/lib.sh
source "$ROOT/tests/wine/lib.sh"

FLOOR_CAPTION="Bench Window Floor"
PICTURE=$ROOT/launcher/resources/splash.gif
# The launcher starts the server when its 2 s splash is over; bench_watch's
# resident window begins as long after its start as the launcher's would.
SPLASH_US=2000000

if [[ ${BENCH_QUICK:-0} == 1 ]]; then
    START_RUNS=${BENCH_START_RUNS:-4}
    LAUNCH_RUNS=${BENCH_LAUNCH_RUNS:-2}
    WATCH_RUNS=${BENCH_WATCH_RUNS:-1}
    WATCH_SECS=${BENCH_WATCH_SECS:-32}
else
    START_RUNS=${BENCH_START_RUNS:-20}
    LAUNCH_RUNS=${BENCH_LAUNCH_RUNS:-20}
    WATCH_RUNS=${BENCH_WATCH_RUNS:-9}
    WATCH_SECS=${BENCH_WATCH_SECS:-62}
fi

fail() {
    echo "benchmark: $*" >&2
    exit 1
}

for tool in cmake Xvfb wineserver awk; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (see tools/install_deps.sh)"
done
read -r -a CONFIGS <<<"$(wl_host_configs)"

# --- builds -----------------------------------------------------------------

# The floors and helpers each configuration runs; the size floor comes from
# the product's build.
RUN_TARGETS=(DovernProfessionalSMSServer bench_window bench_watch bench_splash bench_probe wine_java_standin)
SIZE_DIR=$ROOT/build/bench-mingw
built=" "
for config in mingw-size "${CONFIGS[@]}"; do
    targets=("${RUN_TARGETS[@]}")
    if [[ $config == mingw-size ]]; then
        preset=mingw
        targets+=(bench_size)
    else
        wl_use_config "$config" || exit 1
        preset=$WL_PRESET
    fi
    [[ $built != *" $preset "* ]] || continue
    wl_build "$preset" "$ROOT/build/bench-$preset" "${targets[@]}" || exit 1
    built+="$preset "
done
for f in "$SIZE_DIR/$WL_EXE" "$SIZE_DIR/tests/bench/bench_size.exe" "$PICTURE"; do
    [[ -f $f ]] || fail "missing $f"
done

WL_KEEP=${BENCH_KEEP:-0}
wl_set_up bench || fail "no display"
echo "display $DISPLAY"

# --- one configuration's prefix --------------------------------------------------

BENCH_WIN='C:\bench'
# bench_splash starts its own copy of the stand-in, which records apart.
FLOOR_JAVA='C:\floor\bin\java.exe'
declare -A SERVER_RECORD=(["$WL_EXE"]=launcher [bench_splash.exe]=floor)
declare -A ARGS=([bench_splash.exe]=$FLOOR_JAVA)

# Makes WORK/prefix for the current configuration with the programs in
# C:\bench, a registered runtime holding the support files already (the
# launcher copies nothing and shows no box) and the floor's stand-in. Both
# stand-ins outlive every window; they are ended after each run.
prepare_prefix() {
    local run_dir=$ROOT/build/bench-$WL_PRESET f stay=$(((WATCH_SECS + 120) * 1000))
    WL_HELPERS=$run_dir/tests/wine
    for f in "$run_dir/$WL_EXE" "$run_dir/tests/bench/"{bench_window,bench_watch,bench_probe,bench_splash}.exe \
        "$WL_HELPERS/java.exe"; do
        [[ -f $f ]] || fail "missing $f"
    done
    wl_new_prefix "$WORK/prefix" || fail "no prefix for $WL_CONFIG"
    mkdir -p "$(wl_unix_path "$BENCH_WIN")"
    cp "$run_dir/$WL_EXE" "$run_dir/tests/bench/"{bench_window,bench_watch,bench_probe,bench_splash}.exe \
        "$(wl_unix_path "$BENCH_WIN")/"
    wl_put_runtime 1.6.0 'C:\jre' launcher "$stay"
    for f in "${WL_SUPPORT_FILES[@]}"; do
        touch "$(wl_unix_path "C:\\jre\\$f")"
    done
    wl_put_standin "${FLOOR_JAVA%\\*}" java.exe floor "$stay"
    # A persistent server: every run, of any program, meets it warm.
    wineserver -p >/dev/null 2>&1 || true
}

# --- clock, naps and CPU without new processes ------------------------------------

# The measured programs share two CPUs with this script: its waits and
# readings start no process. A read on a pipe that this shell holds both ends
# of times out instead of returning.
exec {NAP_FD}<> <(:)

# Sets NOW to the time in microseconds.
clock() {
    NOW=${EPOCHREALTIME/[.,]/}
    NOW=$((10#$NOW))
}

# Waits until the time $1 in microseconds.
nap_until() {
    local left
    while clock && ((left = $1 - NOW, left > 0)); do
        ((left < 1000000)) || left=999999
        read -rt "0.$(printf '%06d' "$left")" -u "$NAP_FD" || true
    done
}

# Sets SEEN to the time at which the stand-in's record $1 was complete,
# looking every 10 ms for up to 30 s.
wait_record() {
    local file text deadline
    file=$(wl_record_file "$1")
    clock
    deadline=$((NOW + 30000000))
    while clock && ((NOW < deadline)); do
        text=""
        [[ ! -f $file ]] || IFS= read -rd '' text <"$file" || true
        if [[ $text == *$'\nend\n'* ]]; then
            SEEN=$NOW
            return 0
        fi
        read -rt 0.01 -u "$NAP_FD" || true
    done
    return 1
}

CLK_TCK=$(getconf CLK_TCK)

# Sets SCHED_NS, the nanoseconds on a CPU of every live thread of process $1
# (schedstat), and STAT_MS, its user+sys time of all threads, live and ended,
# in whole clock ticks (stat).
cpu_now() {
    local task run stat fields _
    SCHED_NS=0
    for task in "/proc/$1/task/"*; do
        read -r run _ <"$task/schedstat" || continue
        SCHED_NS=$((SCHED_NS + run))
    done
    read -r stat <"/proc/$1/stat"
    # utime and stime are fields 14 and 15 of the line; the command name
    # before them may hold blanks.
    read -r -a fields <<<"${stat##*) }"
    STAT_MS=$(((fields[11] + fields[12]) * 1000 / CLK_TCK))
}

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

# --- running the programs --------------------------------------------------------

# Starts program $1 in the background with its arguments; sets PID. Wine runs
# it in the very process the shell started.
start_program() {
    "$WL_WINE" "$BENCH_WIN\\$1" ${ARGS[$1]:+"${ARGS[$1]}"} >/dev/null 2>&1 &
    PID=$!
}

# Ends every process running the image $1.
end_image() { wl_wine 30 "$BENCH_WIN\\bench_probe.exe" kill "$1" >/dev/null 2>&1 || true; }

# Ends the programs $2... and the stand-ins, and waits for the processes $1
# (space-separated) to be gone.
end_programs() {
    local pids=$1 exe pid
    shift
    for exe in "$@" java.exe; do end_image "$exe"; done
    for pid in $pids; do
        wl_wait_exit "$pid" 10
        [[ $WL_EXIT_STATUS != timeout ]] || fail "process $pid did not end"
    done
}

# The probe runs inside Wine, already started and polling FindWindowExW every
# millisecond when the program is launched, and stamps the moment the window
# turns visible with the same realtime clock as the shell's EPOCHREALTIME.
# xdotool would cost a process and an X connection per try, several ms of
# jitter each, on the same two CPUs as the program being timed.
# Prints the milliseconds from launch to visible.
measure_start() {
    local exe=$1 caption=$2 out=$WORK/probe.out t0 seen probe_pid
    : >"$out"
    wl_wine 30 "$BENCH_WIN\\bench_probe.exe" wait "$caption" 20000 >"$out" 2>"$WORK/probe.err" &
    probe_pid=$!
    wl_wait_for_line "$out" ready 30 0.005 || fail "the probe did not start"
    t0=$(wl_now_us)
    start_program "$exe"
    wait "$probe_pid" || fail "$exe: no visible window \"$caption\" within 20 s"
    # The probe has ended the program.
    wl_wait_exit "$PID" 10
    [[ $WL_EXIT_STATUS != timeout ]] || fail "$exe did not end after the probe ended it"
    seen=$(tr -d '\r' <"$out" | sed -n 's/^visible_us=\([0-9]*\)$/\1/p')
    [[ -n $seen ]] || fail "$exe: the probe reported no time"
    awk -v d=$((seen - t0)) 'BEGIN { printf "%.1f\n", d / 1000 }'
}

# One launch of $1: CPU of its process from its start until its server's
# record is complete, appended to LAUNCH_SCHED and LAUNCH_STAT, and the wall
# time to then to LAUNCH_WALL (ms).
measure_launch() {
    local exe=$1 record=${SERVER_RECORD[$1]} t0
    rm -f "$(wl_record_file "$record")"
    clock
    t0=$NOW
    start_program "$exe"
    wait_record "$record" || fail "$exe did not start its server within 30 s"
    cpu_now "$PID"
    LAUNCH_SCHED[$exe]+="$(awk -v n="$SCHED_NS" 'BEGIN { printf "%.2f", n / 1e6 }') "
    LAUNCH_STAT[$exe]+="$STAT_MS "
    LAUNCH_WALL[$exe]+="$(((SEEN - t0) / 1000)) "
    end_programs "$PID" "$exe"
}

# Checks that process $1 still runs and hosts program $2.
expect_hosting() {
    kill -0 "$1" 2>/dev/null || fail "$2 ended before its resident window was over"
    tr '\0' ' ' <"/proc/$1/cmdline" | grep -qF "$2" || fail "process $1 does not host $2"
}

# One resident run of the programs $1..., started together in that order so
# that no start or splash falls into another's window: each window begins
# 1 s after that program's server has started (bench_watch: as long after
# its start as the launcher's would) and lasts WATCH_SECS. Appends to
# RES_SCHED, RES_STAT and RSS, and keeps each program's memory map.
resident_run() {
    local exe record pids=""
    local -A pid launched begin sched0 stat0
    for exe in "$@"; do
        record=${SERVER_RECORD[$exe]:-}
        [[ -z $record ]] || rm -f "$(wl_record_file "$record")"
        clock
        launched[$exe]=$NOW
        start_program "$exe"
        pid[$exe]=$PID
        pids+="$PID "
    done
    for exe in "$@"; do
        record=${SERVER_RECORD[$exe]:-}
        if [[ -n $record ]]; then
            wait_record "$record" || fail "$exe did not start its server within 30 s"
        else
            SEEN=$((launched[$exe] + SPLASH_US))
        fi
        begin[$exe]=$((SEEN + 1000000))
    done
    for exe in "$@"; do
        nap_until "${begin[$exe]}"
        expect_hosting "${pid[$exe]}" "$exe"
        cpu_now "${pid[$exe]}"
        sched0[$exe]=$SCHED_NS stat0[$exe]=$STAT_MS
    done
    for exe in "$@"; do
        nap_until $((begin[$exe] + WATCH_SECS * 1000000))
        expect_hosting "${pid[$exe]}" "$exe"
        cpu_now "${pid[$exe]}"
        clock
        ((NOW - begin[$exe] - WATCH_SECS * 1000000 < 2000000)) || fail "$exe: the window overran by more than 2 s"
        RES_SCHED[$exe]+="$(awk -v n=$((SCHED_NS - sched0[$exe])) 'BEGIN { printf "%.2f", n / 1e6 }') "
        RES_STAT[$exe]+="$((STAT_MS - stat0[$exe])) "
        RSS[$exe]+="$(rss_kib "${pid[$exe]}") "
        keep_smaps "$exe" "${pid[$exe]}"
    done
    end_programs "$pids" "$@"
}

# --- where the resident set and the size go ------------------------------------

# Keeps the memory map of process $2 hosting $1 at the end of its resident
# window; the last run of each program is the one shown.
keep_smaps() {
    cp "/proc/$2/smaps" "$WORK/smaps.$1" 2>/dev/null || true
}

# Rss in KiB per mapped file (base name; anonymous memory as one line) of a
# kept map: "name kib" lines.
smaps_by_file() {
    awk '/^[0-9a-f]+-[0-9a-f]+ / { n = split($6, p, "/"); name = NF >= 6 ? p[n] : "[anonymous]" }
         /^Rss:/ { rss[name] += $2 }
         END { for (k in rss) if (rss[k] > 0) print k, rss[k] }' "$1" | sort
}

# Prints the mappings whose Rss differs by at least 64 KiB between the kept
# maps of $1 and $2 (names $3, $4), largest difference first, and the totals.
smaps_difference() {
    local a=$WORK/smaps.$1 b=$WORK/smaps.$2
    [[ -f $a && -f $b ]] || return 0
    echo "resident set by mapping at the end of the last resident run (KiB; $3 / $4 / difference):"
    join -a 1 -a 2 -e 0 -o 0,1.2,2.2 <(smaps_by_file "$a") <(smaps_by_file "$b") |
        awk -v la="$3" -v lb="$4" '{ d = $2 - $3; ta += $2; tb += $3
              if (d >= 64 || d <= -64) printf "%d %-40s %8d %8d %+8d\n", d, $1, $2, $3, d }
             END { printf "%d %-40s %8d %8d %+8d\n", -1e9, "all mappings", ta, tb, ta - tb }' |
        sort -k1,1nr | cut -d' ' -f2- | sed 's/^/  /'
}

# Prints the files mapped in the kept map of $1 and not in that of $2 (name
# $3, $4), and the other way round.
mapped_only_in() {
    local a=$WORK/smaps.$1 b=$WORK/smaps.$2
    [[ -f $a && -f $b ]] || return 0
    echo "  mapped only in $3: $(comm -23 <(smaps_by_file "$a" | cut -d' ' -f1) \
        <(smaps_by_file "$b" | cut -d' ' -f1) | tr '\n' ' ')"
    echo "  mapped only in $4: $(comm -13 <(smaps_by_file "$a" | cut -d' ' -f1) \
        <(smaps_by_file "$b" | cut -d' ' -f1) | tr '\n' ' ')"
}

# Section sizes in bytes (virtual size, as objdump -h lists them) of the PE
# files $1 and $2 (names $3, $4), side by side.
section_sizes() {
    "$1" -h "$2" | awk 'function hex(t,  v, i) { v = 0
            for (i = 1; i <= length(t); i++) v = v * 16 + index("0123456789abcdef", substr(t, i, 1)) - 1
            return v }
        /^ *[0-9]+ \./ { print $2, hex(tolower($3)) }' | sort
}

sections_side_by_side() {
    local objdump
    objdump=$(command -v i686-w64-mingw32-objdump || command -v objdump) || return 0
    echo "sections (bytes; $3 / $4 / difference):"
    join -a 1 -a 2 -e 0 -o 0,1.2,2.2 <(section_sizes "$objdump" "$1") <(section_sizes "$objdump" "$2") |
        awk '{ printf "  %-12s %8d %8d %+8d\n", $1, $2, $3, $2 - $3 }'
}

# --- tables ------------------------------------------------------------------------

median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 }
    END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.2f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One row: label, figure, floor, the rule (the largest ratio that meets the
# target, "<=N" for the largest figure, "-" for none) and the target's text.
row() {
    awk -v label="$1" -v fig="$2" -v flo="$3" -v rule="$4" -v tgt="$5" 'BEGIN {
        ratio = flo > 0 ? sprintf("%.2f", fig / flo) : "-"
        if (rule ~ /^<=/) met = fig <= substr(rule, 3) + 0
        else met = fig == 0 || (flo > 0 && fig / flo <= rule + 0)
        result = rule == "-" ? "-" : met ? "met" : "MISSED"
        printf "%-52s %10s %10s %7s  %-34s %s\n", label, fig, flo, ratio, tgt, result
    }'
}

# "min..max (range R = P% of the median)" of the numbers on stdin.
spread() {
    tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 }
        END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
              share = m > 0 ? 100 * (v[NR] - v[1]) / m : 0
              printf "%s..%s (range %.2f = %.0f%% of the median)\n", v[1], v[NR], v[NR] - v[1], share }'
}

# --- one configuration -------------------------------------------------------------

# Last value of the space-separated list $1.
last() { local a; read -r -a a <<<"$1"; echo "${a[-1]}"; }

# Measures the current configuration and prints its table.
bench_config() {
    local i exe order
    declare -gA START=() LAUNCH_SCHED=() LAUNCH_STAT=() LAUNCH_WALL=() RES_SCHED=() RES_STAT=() RSS=()
    WORK=$WL_WORK/$WL_CONFIG
    echo
    echo "=== configuration $(wl_describe_config)"
    prepare_prefix
    echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
    echo "warming up (not counted)"
    measure_start "$WL_EXE" "$WL_CAPTION" >/dev/null
    measure_start bench_window.exe "$FLOOR_CAPTION" >/dev/null

    echo "start to visible window, $START_RUNS runs each (ms: launcher / bench_window)"
    for ((i = 0; i < START_RUNS; i++)); do
        # ABBA: neither program always runs right after the other.
        order=("$WL_EXE" bench_window.exe)
        ((i % 2 == 0)) || order=(bench_window.exe "$WL_EXE")
        for exe in "${order[@]}"; do
            local caption=$FLOOR_CAPTION
            [[ $exe == "$WL_EXE" ]] && caption=$WL_CAPTION
            START[$exe]+="$(measure_start "$exe" "$caption") "
            sleep 0.3
        done
        printf '  run %2d: %8s / %8s\n' $((i + 1)) "$(last "${START[$WL_EXE]}")" "$(last "${START[bench_window.exe]}")"
    done

    echo "launch, process start to server start, $LAUNCH_RUNS runs each" \
        "(launcher / bench_splash: schedstat CPU ms, stat CPU ms, wall ms)"
    for ((i = 0; i < LAUNCH_RUNS; i++)); do
        order=("$WL_EXE" bench_splash.exe)
        ((i % 2 == 0)) || order=(bench_splash.exe "$WL_EXE")
        for exe in "${order[@]}"; do
            measure_launch "$exe"
            sleep 0.3
        done
        printf '  run %2d: %8s %4s %5s / %8s %4s %5s\n' $((i + 1)) \
            "$(last "${LAUNCH_SCHED[$WL_EXE]}")" "$(last "${LAUNCH_STAT[$WL_EXE]}")" "$(last "${LAUNCH_WALL[$WL_EXE]}")" \
            "$(last "${LAUNCH_SCHED[bench_splash.exe]}")" "$(last "${LAUNCH_STAT[bench_splash.exe]}")" \
            "$(last "${LAUNCH_WALL[bench_splash.exe]}")"
    done

    local programs=("$WL_EXE" bench_splash.exe bench_watch.exe)
    echo "resident, $WATCH_SECS s from 1 s after the server's start, $WATCH_RUNS runs of the three side by side" \
        "(schedstat CPU ms, stat CPU ms, VmRSS KiB)"
    for ((i = 0; i < WATCH_RUNS; i++)); do
        order=("${programs[@]:i%3}" "${programs[@]:0:i%3}")
        resident_run "${order[@]}"
        for exe in "${programs[@]}"; do
            printf '  run %2d %-32s %8s %6s %8s\n' $((i + 1)) "$exe" "$(last "${RES_SCHED[$exe]}")" \
                "$(last "${RES_STAT[$exe]}")" "$(last "${RSS[$exe]}")"
        done
    done
    echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
    wl_stop_wine
    print_table
    [[ ${BENCH_KEEP:-0} == 1 ]] || rm -rf "$WORK/prefix"
}

# Prints the current configuration's table from its runs.
print_table() {
    local L=$WL_EXE S=bench_splash.exe T=bench_watch.exe
    echo
    if [[ ${BENCH_QUICK:-0} == 1 ]]; then
        echo "QUICK TRIAL ($START_RUNS start, $LAUNCH_RUNS launch, $WATCH_RUNS x ${WATCH_SECS} s resident runs): not the figure"
    fi
    echo "configuration $WL_CONFIG: $(wl_describe_config | cut -d' ' -f2-); medians"
    printf '%-52s %10s %10s %7s  %-34s %s\n' figure launcher floor ratio target result
    row "start to splash visible (ms) vs bench_window" "$(median <<<"${START[$L]}")" \
        "$(median <<<"${START[bench_window.exe]}")" 1.0 "ratio <= 1.0"
    row "launch CPU, start to server start (ms) vs ${S%.exe}" "$(median <<<"${LAUNCH_SCHED[$L]}")" \
        "$(median <<<"${LAUNCH_SCHED[$S]}")" 1.10 "ratio <= 1.10"
    # Ticks of 10 ms; it also counts threads that have ended, which
    # schedstat's live threads would not show.
    row "  same from /proc/PID/stat user+sys (ms)" "$(median <<<"${LAUNCH_STAT[$L]}")" \
        "$(median <<<"${LAUNCH_STAT[$S]}")" - "none: ${CLK_TCK} Hz ticks"
    row "  wall time, start to server start (ms)" "$(median <<<"${LAUNCH_WALL[$L]}")" \
        "$(median <<<"${LAUNCH_WALL[$S]}")" - "none: the 2 s splash"
    row "resident CPU over ${WATCH_SECS} s (ms) vs ${T%.exe}" "$(median <<<"${RES_SCHED[$L]}")" \
        "$(median <<<"${RES_SCHED[$T]}")" 1.10 "ratio <= 1.10"
    row "  same from /proc/PID/stat user+sys (ms)" "$(median <<<"${RES_STAT[$L]}")" \
        "$(median <<<"${RES_STAT[$T]}")" - "none: ${CLK_TCK} Hz ticks"
    # What the splash leaves running, with no watch.
    row "  same vs ${S%.exe}" "$(median <<<"${RES_SCHED[$L]}")" "$(median <<<"${RES_SCHED[$S]}")" - "none"
    row "resident set at end, VmRSS (KiB) vs ${S%.exe}" "$(median <<<"${RSS[$L]}")" "$(median <<<"${RSS[$S]}")" \
        1.05 "ratio <= 1.05"
    echo "run to run: launch CPU (ms) launcher $(spread <<<"${LAUNCH_SCHED[$L]}"), $S $(spread <<<"${LAUNCH_SCHED[$S]}")"
    echo "  resident CPU (ms) launcher $(spread <<<"${RES_SCHED[$L]}"), $T $(spread <<<"${RES_SCHED[$T]}")," \
        "$S $(spread <<<"${RES_SCHED[$S]}")"
    echo "  VmRSS (KiB) launcher $(spread <<<"${RSS[$L]}"), $S $(spread <<<"${RSS[$S]}")"
    echo
    smaps_difference "$L" "$S" launcher bench_splash
    mapped_only_in "$L" "$S" launcher bench_splash
    # What showing the picture and starting the server leave behind in a
    # program that did nothing else.
    smaps_difference "$S" "$T" bench_splash bench_watch
    mapped_only_in "$S" "$T" bench_splash bench_watch
}

for config in "${CONFIGS[@]}"; do
    wl_use_config "$config"
    bench_config
done

size_prog=$(stat -c %s "$SIZE_DIR/$WL_EXE")
size_floor=$(stat -c %s "$SIZE_DIR/tests/bench/bench_size.exe")
picture=$(stat -c %s "$PICTURE")
size_limit=$(awk -v f="$size_floor" -v p="$picture" 'BEGIN { printf "%d", 1.0 * f + p }')
echo
echo "the product's executable, whatever the configuration"
printf '%-52s %10s %10s %7s  %-34s %s\n' figure launcher floor ratio target result
row "i686 executable (bytes) vs bench_size" "$size_prog" "$size_floor" "<=$size_limit" \
    "<= 1.0 x floor + $picture = $size_limit"
echo "picture: ${PICTURE#"$ROOT"/} $picture bytes"
sections_side_by_side "$SIZE_DIR/$WL_EXE" "$SIZE_DIR/tests/bench/bench_size.exe" launcher bench_size
