"""Benchmark: the launcher against bare floor programs of the same toolchain and flags, one table
per configuration this host runs, on one prefix whose wineserver stays warm; then the product's
executable against its guard (at most 300 KiB, statically linked, system DLLs only).
  start     from just before the start until the window is visible, vs bench_window (a bare
            window of the splash's size), timed inside Wine by bench_probe on the host's clock.
  launch    CPU from the process's start to its server's, vs bench_splash (the splash's window and
            picture for 2 s, then one hidden start of a stand-in). 20 runs each, ABBA, for both.
  resident  CPU over 62 s (two ticks of the 30 s watch) from 1 s after the server's start, vs
            bench_watch (a hidden 30 s timer loop making the watch's three calls on each tick) and
            bench_splash; the resident set at the end, the last run's by mapping. 9 runs of the
            three side by side, started together, a different one first.
  setup     silent Setup and its silent uninstall (uninstall.exe /S, returning when done), wall
            time, vs bench_setup.nsi, a bare script laying the same files whose uninstaller runs
            in place: 8 runs each, alternating (tools/benchmark_installer.py).
Medians; CPU from schedstat of the live threads, user+sys of /proc/PID/stat beside it. A missed
target is a result; exit status 1 when something could not be built or measured. About 14 minutes
per configuration. Environment: BENCH_QUICK=1 (a trial: 4 start and 2 launch runs, 1 resident run
of 32 s, 2 setup runs), BENCH_START_RUNS, BENCH_LAUNCH_RUNS, BENCH_WATCH_RUNS, BENCH_WATCH_SECS,
BENCH_SETUP_RUNS, BENCH_SETUP_ONLY=1 (only the installer's figures), BENCH_KEEP=1
(keep the work directory), WL_CONFIGS="win32 wow64" (instead of the host's configurations)."""
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from collections import Counter, defaultdict
from pathlib import Path

import pefile

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "wine"))
import benchmark_installer  # noqa: E402
from winesetup import build, configs, display, install, prefix, records  # noqa: E402
from winesetup.product import CAPTION, EXE, SUPPORT_FILES  # noqa: E402

BENCH, PROBE = r"C:\bench", r"C:\bench\bench_probe.exe"
WINDOW, SPLASH, WATCH = "bench_window.exe", "bench_splash.exe", "bench_watch.exe"
NAMES = {EXE: "launcher", WINDOW: "bench_window", SPLASH: "bench_splash", WATCH: "bench_watch"}
CAPTIONS = {EXE: CAPTION, WINDOW: "Bench Window Floor"}
RECORD = {EXE: "launcher", SPLASH: "floor"}  # the stand-in each starts; bench_watch starts none
ARGS = {SPLASH: [r"C:\floor\bin\java.exe"]}
SPLASH_SECS = 2  # bench_watch's window begins as long after its start as the launcher's would
SIZE_LIMIT, SYSTEM_DLLS = 307200, ("kernel32", "user32", "gdi32", "advapi32", "msvcrt")
QUICK, KEEP = os.environ.get("BENCH_QUICK") == "1", os.environ.get("BENCH_KEEP") == "1"
TICK_HZ, ROW = os.sysconf("SC_CLK_TCK"), "{:<52} {:>10} {:>10} {:>7}  {:<34} {}"


def knob(name, full, quick):
    return int(os.environ.get(f"BENCH_{name}") or (quick if QUICK else full))


START_RUNS, LAUNCH_RUNS = knob("START_RUNS", 20, 4), knob("LAUNCH_RUNS", 20, 2)
WATCH_RUNS, WATCH_SECS = knob("WATCH_RUNS", 9, 1), knob("WATCH_SECS", 62, 32)
SETUP_RUNS, SETUP_ONLY = knob("SETUP_RUNS", 8, 2), os.environ.get("BENCH_SETUP_ONLY") == "1"


class Failure(Exception):
    pass


def wait(proc, secs, what):
    try:
        return proc.wait(secs)
    except subprocess.TimeoutExpired:
        raise Failure(f"{what} still runs after {secs} s")


def cpu(pid):
    """Milliseconds on a CPU of process `pid`: of its live threads, and user+sys of all."""
    sched = 0
    for task in Path(f"/proc/{pid}/task").iterdir():
        try:
            sched += int((task / "schedstat").read_text().split()[0])
        except OSError:  # a thread that has just ended
            pass
    # utime and stime are fields 14 and 15; the command name before them may hold blanks.
    stat = Path(f"/proc/{pid}/stat").read_text().rpartition(") ")[2].split()
    return sched / 1e6, (int(stat[11]) + int(stat[12])) * 1000 / TICK_HZ


class Bench:
    """One configuration's prefix, the programs in C:\\bench, and the figures of their runs."""

    def __init__(self, config, built, work):
        self.work, self.fig, self.smaps = work, defaultdict(list), {}
        self.pfx = pfx = prefix.make_template(work / "prefix", config, built)
        install.put_launcher(pfx, BENCH)  # with the SMSServer folder, or it will not start
        for exe in (WINDOW, SPLASH, WATCH, "bench_probe.exe"):
            shutil.copy(built / "tests" / "bench" / exe, pfx.unix(BENCH))
        stay = (WATCH_SECS + 120) * 1000  # the stand-ins outlive every window, ended after each run
        install.put_runtime(pfx, "1.6.0", r"C:\jre", RECORD[EXE], stay)
        for f in SUPPORT_FILES:  # there already: the launcher copies nothing and shows no box
            pfx.unix(rf"C:\jre\{f}").touch()
        install.put_standin(pfx, r"C:\floor\bin", RECORD[SPLASH], stay)
        pfx.server("-p")  # persistent: every run, of any program, meets it warm

    def start(self, exe):
        if exe in RECORD:
            self.pfx.unix(rf"{install.RECORDS}\{RECORD[exe]}.txt").unlink(missing_ok=True)
        null = subprocess.DEVNULL
        return self.pfx.popen(rf"{BENCH}\{exe}", *ARGS.get(exe, []), stdout=null, stderr=null)

    def server_started(self, exe):
        """The time at which the server of `exe` is seen started, looking every 10 ms."""
        if not records.wait_starts(self.pfx, RECORD[exe], 30, every=0.01):
            raise Failure(f"{exe} did not start its server within 30 s")
        return time.time()

    def end(self, procs, *exes):
        """Ends the programs `exes` and the stand-ins, and waits for the processes `procs`."""
        for exe in (*exes, "java.exe"):
            self.pfx.run(PROBE, "kill", exe, timeout=30, check=False)
        for proc in procs:
            wait(proc, 10, f"process {proc.pid}")

    def measure_start(self, exe):
        """Milliseconds from just before the start of `exe` until its window is visible. The probe
        polls inside Wine every millisecond from before the start, stamps the moment on the host's
        realtime clock and ends the program: no process or X connection per look."""
        out = self.work / "probe.out"
        with open(out, "w") as f:
            probe = self.pfx.popen(PROBE, "wait", CAPTIONS[exe], "20000", stdout=f, stderr=f)
        deadline = time.monotonic() + 30
        while "ready" not in out.read_text():
            if time.monotonic() > deadline:
                raise Failure("the probe did not start")
            time.sleep(0.005)
        t0, proc = time.time_ns() // 1000, self.start(exe)
        if wait(probe, 30, "the probe"):
            raise Failure(f'{exe}: no visible window "{CAPTIONS[exe]}" within 20 s')
        wait(proc, 10, f"{exe} ended by the probe")
        if not (seen := re.search(r"visible_us=(\d+)", out.read_text())):
            raise Failure(f"{exe}: the probe reported no time")
        return (int(seen[1]) - t0) / 1000

    def measure_launch(self, exe):
        t0, proc = time.time(), self.start(exe)
        seen = self.server_started(exe)
        for key, value in zip(("launch", "launch stat"), cpu(proc.pid)):
            self.fig[key, exe].append(value)
        self.fig["launch wall", exe].append(round((seen - t0) * 1000))
        self.end([proc], exe)

    def hosting(self, proc, exe):
        """The process id of `proc`, which still runs and hosts `exe`."""
        if proc.poll() is not None:
            raise Failure(f"{exe} ended before its resident window was over")
        if exe not in Path(f"/proc/{proc.pid}/cmdline").read_text():
            raise Failure(f"process {proc.pid} does not host {exe}")
        return proc.pid

    def resident_run(self, order):
        """One run of the programs `order`, started together in that order so that no start or
        splash falls into another's window, which begins 1 s after its server's start."""
        procs = {exe: (time.time(), self.start(exe)) for exe in order}
        begin = {exe: 1 + (self.server_started(exe) if exe in RECORD else t + SPLASH_SECS)
                 for exe, (t, _) in procs.items()}  # fmt: skip
        before = {}
        for exe in order:
            time.sleep(max(0, begin[exe] - time.time()))
            before[exe] = cpu(self.hosting(procs[exe][1], exe))
        for exe in order:
            time.sleep(max(0, begin[exe] + WATCH_SECS - time.time()))
            pid = self.hosting(procs[exe][1], exe)
            (sched, stat), status = cpu(pid), Path(f"/proc/{pid}/status").read_text()
            if time.time() - begin[exe] - WATCH_SECS > 2:
                raise Failure(f"{exe}: the window overran by more than 2 s")
            self.fig["resident", exe].append(sched - before[exe][0])
            self.fig["resident stat", exe].append(stat - before[exe][1])
            self.fig["rss", exe].append(int(re.search(r"VmRSS:\s*(\d+)", status)[1]))
            self.smaps[exe] = Path(f"/proc/{pid}/smaps").read_text()
        self.end([proc for _, proc in procs.values()], *order)

    def last(self, exe, *keys):
        return [self.fig[key, exe][-1] for key in keys]

    def run(self):
        print("load average before:", *Path("/proc/loadavg").read_text().split()[:3])
        print("warming up (not counted)")
        self.measure_start(EXE)
        self.measure_start(WINDOW)
        print(f"start to visible window, {START_RUNS} runs each (ms: launcher / bench_window)")
        for i in range(START_RUNS):
            for exe in (EXE, WINDOW)[:: 1 - 2 * (i % 2)]:  # ABBA: neither always runs first
                self.fig["start", exe].append(self.measure_start(exe))
                time.sleep(0.3)
            print(f"  run {i + 1:2}: {self.last(EXE, 'start')[0]:8.1f} /"
                  f" {self.last(WINDOW, 'start')[0]:8.1f}")  # fmt: skip
        print(f"launch, process start to server start, {LAUNCH_RUNS} runs each (launcher /"
              " bench_splash: schedstat CPU ms, stat CPU ms, wall ms)")  # fmt: skip
        for i in range(LAUNCH_RUNS):
            for exe in (EXE, SPLASH)[:: 1 - 2 * (i % 2)]:
                self.measure_launch(exe)
                time.sleep(0.3)
            last = ["{:8.2f} {:4.0f} {:5}".format(*self.last(e, "launch", "launch stat",
                    "launch wall")) for e in (EXE, SPLASH)]  # fmt: skip
            print(f"  run {i + 1:2}: {last[0]} / {last[1]}")
        print(f"resident, {WATCH_SECS} s from 1 s after the server's start, {WATCH_RUNS} runs of"
              " the three side by side (schedstat CPU ms, stat CPU ms, VmRSS KiB)")  # fmt: skip
        programs = [EXE, SPLASH, WATCH]
        for i in range(WATCH_RUNS):
            self.resident_run(programs[i % 3 :] + programs[: i % 3])
            for exe in programs:
                print("  run {:2} {:<32} {:8.2f} {:6.0f} {:8}".format(
                    i + 1, exe, *self.last(exe, "resident", "resident stat", "rss")))  # fmt: skip
        print("load average after:", *Path("/proc/loadavg").read_text().split()[:3])


def num(v):
    return f"{v:.2f}" if v != int(v) else str(int(v))


def row(label, fig, floor, target="none"):
    """A figure, its floor, their ratio and whether it meets `target`: "ratio <= R" or "none..."."""
    ratio, met = (fig / floor if floor else None), "-"
    if not target.startswith("none"):
        met = (
            "met"
            if fig == 0 or ratio is not None and ratio <= float(target.split()[-1])
            else "MISSED"
        )
    print(ROW.format(label, num(fig), num(floor), "-" if ratio is None else f"{ratio:.2f}", target,
                     met))  # fmt: skip


def spread(fig, key, *exes):
    """Each program's lowest and highest figure `key`, and their range against the median."""
    text = []
    for v, name in ((fig[key, exe], NAMES[exe]) for exe in exes):
        m, lo, hi = statistics.median(v), min(v), max(v)
        share = f"{100 * (hi - lo) / m:.0f}" if m > 0 else "0"
        text.append(f"{name} {num(lo)}..{num(hi)} (range {hi - lo:.2f} = {share}% of the median)")
    return ", ".join(text)


def by_mapping(smaps):
    """Rss in KiB per mapped file (base name; anonymous memory as one entry) of an smaps text."""
    rss, name = Counter(), None
    for line in smaps.splitlines():
        if re.match(r"[0-9a-f]+-[0-9a-f]+ ", line):
            fields = line.split()
            name = fields[5].rsplit("/", 1)[-1] if len(fields) > 5 else "[anonymous]"
        elif line.startswith("Rss:"):
            rss[name] += int(line.split()[1])
    return {k: v for k, v in rss.items() if v}


def side_by_side(title, a, b, least=0, total=None):
    """The entries of the dicts `a` and `b` that differ by at least `least`, largest difference
    first, and their totals under the name `total` when given."""
    print(f"{title} / difference):")
    rows = sorted(((a.get(k, 0) - b.get(k, 0), k) for k in a.keys() | b.keys()), reverse=True)
    rows = [(k, a.get(k, 0), b.get(k, 0)) for d, k in rows if abs(d) >= least]
    for k, x, y in rows + ([(total, sum(a.values()), sum(b.values()))] if total else []):
        print(f"  {k:<40} {x:8} {y:8} {x - y:+8}")


def table(config, fig, smaps):
    m = {k: statistics.median(v) for k, v in fig.items()}
    L, S, W = EXE, SPLASH, WATCH
    print()
    if QUICK:
        print(f"QUICK TRIAL ({START_RUNS} start, {LAUNCH_RUNS} launch, {WATCH_RUNS} x"
              f" {WATCH_SECS} s resident runs): not the figure")  # fmt: skip
    print(f"configuration {config.name}: {config.about}; medians")
    print(ROW.format("figure", "launcher", "floor", "ratio", "target", "result"))
    ticks, stat = f"none: {TICK_HZ} Hz ticks", "  same from /proc/PID/stat user+sys (ms)"
    for label, key, floor, target in [
        ("start to splash visible (ms) vs bench_window", "start", WINDOW, "ratio <= 1.0"),
        ("launch CPU, start to server start (ms) vs bench_splash", "launch", S, "ratio <= 1.10"),
        (stat, "launch stat", S, ticks),
        ("  wall time, start to server start (ms)", "launch wall", S, "none: the 2 s splash"),
        (f"resident CPU over {WATCH_SECS} s (ms) vs bench_watch", "resident", W, "ratio <= 1.10"),
        (stat, "resident stat", W, ticks),
        ("  same vs bench_splash", "resident", S, "none"),  # no watch: what the splash leaves
        ("resident set at end, VmRSS (KiB) vs bench_splash", "rss", S, "ratio <= 1.05"),
    ]:
        row(label, m[key, L], m[key, floor], target)
    print("run to run: launch CPU (ms)", spread(fig, "launch", L, S))
    print("  resident CPU (ms)", spread(fig, "resident", L, W, S))
    print("  VmRSS (KiB)", spread(fig, "rss", L, S) + "\n")
    # bench_splash against bench_watch: what showing the picture and starting the server leave.
    for a, b in ((L, S), (S, W)):
        maps = [by_mapping(smaps[x]) for x in (a, b)]
        title = f"resident set by mapping at the end of the last resident run (KiB; {NAMES[a]}"
        side_by_side(f"{title} / {NAMES[b]}", *maps, least=64, total="all mappings")
        for name, x, y in ((NAMES[a], *maps), (NAMES[b], *maps[::-1])):
            print(f"  mapped only in {name}:", *sorted(x.keys() - y.keys()))


def size_guard(built):
    """The product's executable against its guard, and beside the bench_size floor."""
    exe, floor = (pefile.PE(built / p) for p in (EXE, "tests/bench/bench_size.exe"))
    size = len(exe.__data__)
    dlls = [e.dll.decode() for d in ("IMPORT", "DELAY_IMPORT")
            for e in getattr(exe, f"DIRECTORY_ENTRY_{d}", [])]  # fmt: skip
    # Statically linked: none of the toolchain's runtime DLLs (C++, gcc, threads) is imported.
    other = [d for d in dlls if d.lower().removesuffix(".dll") not in SYSTEM_DLLS]
    print("\nthe product's executable, whatever the configuration")
    print(ROW.format("figure", "launcher", "floor", "ratio", "target", "result"))
    limit = f"<= {SIZE_LIMIT} ({SIZE_LIMIT // 1024} KiB)"
    met = "met" if size <= SIZE_LIMIT else "MISSED"
    print(ROW.format("i686 executable (bytes)", size, "-", "-", limit, met))
    print(ROW.format("  imports other than system DLLs", len(other), "-", "-", "0: static, system"
                     " DLLs only", "met" if dlls and not other else "MISSED"))  # fmt: skip
    row("  same vs bench_size (std::wstring and exceptions)", size, len(floor.__data__))
    for dll in dlls:
        print(f"  imports {dll}: {'NOT ' * (dll in other)}one of", ", ".join(SYSTEM_DLLS))
    side_by_side("sections (bytes; launcher / bench_size", *[{s.Name.rstrip(b"\0").decode():
                 s.Misc_VirtualSize for s in pe.sections} for pe in (exe, floor)])  # fmt: skip


def main():
    sys.stdout.reconfigure(line_buffering=True)
    chosen = configs.host_configs()
    if "WL_CONFIGS" not in os.environ and chosen[0].name == "x64":
        print("this host cannot execute 32-bit code: only the x86-64 fallback (x64) runs here")
    built = {}
    for preset in dict.fromkeys(["mingw"] + [c.preset for c in chosen]):
        print(f"building preset {preset} in build/{preset}")
        built[preset] = build.build(preset)
    work = Path(tempfile.mkdtemp(prefix="bench."))
    xvfb, os.environ["DISPLAY"] = display.start_xvfb(work / "xvfb.log")
    print(f"display {os.environ['DISPLAY']}")
    try:
        for config in chosen:
            print(f"\n=== configuration {config.name}: {config.about}")
            bench = Bench(config, built[config.preset], work / config.name)
            try:
                if not SETUP_ONLY:
                    bench.run()
                print(f"silent Setup and uninstall, {SETUP_RUNS} runs each, alternating (product /"
                      " bench_setup.nsi)")  # fmt: skip
                setup = benchmark_installer.measure(
                    bench.pfx,
                    config,
                    built[config.preset],
                    work / config.name / "setup",
                    SETUP_RUNS,
                )
            finally:
                bench.pfx.stop()
            if not SETUP_ONLY:
                table(config, bench.fig, bench.smaps)
            print(f"\nconfiguration {config.name}: the installer; medians")
            print(ROW.format("figure", "product", "floor", "ratio", "target", "result"))
            benchmark_installer.rows(setup, row)
            if not KEEP:
                shutil.rmtree(bench.pfx.path)
    finally:
        xvfb.terminate()
        if KEEP:
            print(f"work directory kept: {work}")
        else:
            shutil.rmtree(work, ignore_errors=True)
    size_guard(built["mingw"])


if __name__ == "__main__":
    try:
        main()
    except (Failure, RuntimeError) as e:
        sys.exit(f"benchmark: {e}")
