"""The randomised sweep: many runs of the launcher, each a plan drawn by Hypothesis (set-up, the
server's life and exit code, whether the run waits for the watch, outside events, the boxes'
answers) and checked for what must hold whatever was drawn; a failing plan is shrunk."""
import hashlib
import random
import time
from dataclasses import dataclass

from hypothesis import HealthCheck, Phase, given, seed, settings
from hypothesis import strategies as st
from hypothesis.database import DirectoryBasedExampleDatabase

from winesetup import install, product
from winesetup.build import ROOT
from winesetup.prefix import text_of
from winesetup.records import all_starts, start_problems, starts
from winesetup.runs import blocks, box_reports
from winesetup.scenario import APP, ARTIFACTS, Scenario

BOXES = {  # what each set-up shows, in order
    "no-key": [product.TEXT_NO_RUNTIME],
    "old-only": [product.TEXT_NO_VERSION],
    "non-numeric-first": ["Type mismatch", product.TEXT_SEARCH_ERROR],
    "no-support-folder": ["Path not found.", product.TEXT_COPY_ERROR],
    "no-java-exe": ["Run-time error '2':\r\n\r\nFile not found."],
}
SETUPS = ("good", "no-support-folder", "non-numeric-first", "empty-javahome", "no-java-exe")
SETUPS += ("old-only", "no-key")
ENDS_ITSELF = ("no-key", "old-only", "no-java-exe")  # with status 1 after its box
STOPS = ("close", "sysclose", "quit")  # what ends the launcher from outside
KINDS = STOPS + ("logoff", "kill", "minimize", "maximize", "restore", "show", "move")
ANSWERS = ("ok", "enter", "esc", "close")
RESULTS = {3: "not OK-only", 4: "stayed after its answer", 5: "went before its answer"}
WATCH_MS, MARGIN_MS = 30000, 4000  # the watch's interval; an end comes this long after its cause
# The installation's folder as another start may spell it: a second launcher of the same
# installation, told apart by its spelling in its boxes and its server's command line.
SECOND = APP.upper()


@dataclass(frozen=True)
class Event:
    kind: str
    at_ms: int  # the launcher process's age
    x: int = 0  # where a move puts the window
    y: int = 0


@dataclass(frozen=True)
class Plan:
    setup: str
    blank_home: bool  # the runtime under Program Files, else in C:\Java\jre6
    present: tuple  # support files already in the runtime
    stay_ms: int  # how long the server runs
    exit_code: int
    watch: bool  # the run waits for the watch to end the launcher
    events: tuple
    answers: tuple  # per box: how long it stays open (ms), and how it is answered
    second_ms: int = None  # when a second launcher of the installation starts (the first's age)


def steps(size, top):
    return st.integers(0, top).map(lambda n: n * size)


# Most events in the first ten seconds, the splash's and the boxes' time; one in six later, up to
# the second watch tick.
at_ms = st.tuples(st.integers(0, 5), st.integers(0, 100)).map(
    lambda t: t[1] * 100 if t[0] < 5 else 10000 + t[1] * 550
)
events = st.builds(Event, st.sampled_from(KINDS), at_ms, steps(10, 49), steps(10, 39))
plans = st.builds(
    Plan,
    setup=st.sampled_from(SETUPS),
    blank_home=st.booleans(),
    present=st.lists(st.sampled_from(product.SUPPORT_FILES), unique=True).map(sorted).map(tuple),
    stay_ms=steps(500, 80),
    exit_code=st.sampled_from((0, 1, 3, 259)),
    watch=st.integers(0, 4).map(lambda n: n == 4),
    events=st.lists(events, max_size=3).map(lambda e: tuple(sorted(e, key=lambda e: e.at_ms))),
    answers=st.lists(
        st.tuples(steps(100, 60), st.sampled_from(ANSWERS)), min_size=4, max_size=4
    ).map(tuple),
    # Once the window probe holds the first launcher's window; in one plan in four.
    second_ms=st.one_of(st.none(), st.none(), st.none(), at_ms.map(lambda t: max(t, 1500))),
)


@dataclass
class Expected:  # what the set-up leads to when the launch sequence runs
    boxes: list
    record: str  # the stand-in that must start, or ""
    home: str  # its runtime ("": java by the program search)
    ends_itself: bool
    copies: list  # the support files it copies, by the Windows path of the copy


def expected(plan, home):
    copying, runtime = plan.setup in ("good", "no-java-exe"), plan.setup in (
        "good",
        "no-support-folder",
    )
    copies = [rf"{home}\{f}" for f in product.SUPPORT_FILES if copying and f not in plan.present]
    record = "runtime" if runtime else "" if plan.setup in ENDS_ITSELF else "path"
    ends = plan.setup in ENDS_ITSELF
    return Expected(BOXES.get(plan.setup, []), record, home if runtime else "", ends, copies)


def lay_out(pfx, plan, home):
    """The plan's set-up; answers the runtime homes it made. Whatever is registered, "java" by
    the program search finds a stand-in, so that a start from the wrong place is recorded too."""
    install.put_standin(pfx, r"C:\windows", "path", plan.stay_ms, plan.exit_code)
    homes = []
    if plan.setup == "old-only":
        homes = [r"C:\Java\jre14", r"C:\Java\jre142"]
        install.put_runtime(pfx, "1.4", homes[0], "old")
        install.put_runtime(pfx, "1.4.2_19", homes[1], "old")
    elif plan.setup == "empty-javahome":
        install.add_runtime(pfx, "1.6.0_45", "")
    elif plan.setup != "no-key":
        homes = [home]
        if plan.setup != "no-support-folder":
            install.put_support_files(pfx)
        if plan.setup == "non-numeric-first":  # Wine lists "(beta)" before the good runtime
            homes.append(r"C:\Java\beta")
            install.put_runtime(pfx, "(beta)", homes[1], "beta")
        install.put_runtime(pfx, "1.6.0_45", home, "runtime", plan.stay_ms, plan.exit_code)
        if plan.setup == "no-java-exe":
            pfx.unix(rf"{home}\bin\java.exe").unlink()
        for f in plan.present if plan.setup in ("good", "no-java-exe") else ():
            pfx.unix(rf"{home}\{f}").write_text(f"older {f}, must stay\n")
    return homes


def md5(path):
    return hashlib.md5(path.read_bytes()).hexdigest()


def checksums(pfx, homes):
    """The files below the runtime homes with their checksums, by Windows path."""
    files = [(home, p) for home in homes for p in pfx.unix(home).rglob("*") if p.is_file()]
    return {
        rf"{home}\{p.relative_to(pfx.unix(home))}".replace("/", "\\"): md5(p) for home, p in files
    }


@dataclass
class Observed:
    launched: float  # when the launcher was started, in ms since 1970
    pid: str  # its Windows process, which owns its window and boxes
    found_ms: int  # the launcher's age when window_probe.exe found its window
    events: list  # (kind, window_probe.exe's report at the event's moment) of the events reached
    boxes: list  # msgbox.exe's reports, one per box
    status: int  # None while the launcher runs
    end_ms: int  # when it ended, or when the run stopped looking while it ran
    starts: dict  # the starts of every stand-in that started
    before: dict  # checksums of the runtimes' files
    after: dict
    sources: dict  # the checksum each copy must have
    second: dict  # the second launcher's start (ms since 1970) and status, if one started

    def ms(self, unix_ms):
        return int(unix_ms) - self.launched

    def __str__(self):
        events = [(k, r.get("at_ms"), r.get("at_window"), r.get("killed")) for k, r in self.events]
        boxes = [(b["result"], self.ms(b["found_unix_ms"])) for b in self.boxes]
        starts = list(self.starts)
        return (
            f"boxes {boxes}, started {starts}, events {events}, {self.status} at {self.end_ms} ms"
            f", second launcher {self.second}"
        )


def by_launcher(found, app):
    """The starts among `found` (by record) of the launcher in `app`, by its spelling in them."""
    mine = {n: [s for s in ss if (rf"{SECOND}\SMSServer" in s["cmdline"]) == (app == SECOND)]
            for n, ss in found.items()}  # fmt: skip
    return {n: ss for n, ss in mine.items() if ss}


def ends(server, kills):
    """When a server's process ended: its own end, the first kill after its start, or never."""
    after = [k for k in kills if k >= server["started_ms"]]
    return server.get("ended_ms", min(after, default=float("inf")))


def check_second(expect, got, kills):
    """The second launcher of the installation: refused while the installation's lock is held,
    which it certainly is while the first launcher's server runs; else it runs as the first
    would, its boxes answered as they come. Answers whether it ran the launch sequence."""
    refusal = [product.text_already_running(SECOND)]
    texts = [b["text"] for b in got.boxes if b.get("pid") != got.pid]
    mine = by_launcher(got.starts, SECOND)
    tick = got.second["launched"] + 2000  # when it takes the lock, within a second or so
    first = [s for ss in by_launcher(got.starts, APP).values() for s in ss]
    held = any(s["started_ms"] <= tick - 1000 and ends(s, kills) >= tick + 2000 for s in first)
    assert texts == refusal or not held, f"second launcher not refused, boxes {texts}"
    if texts == refusal:
        assert got.second["status"] in (None, 1) and not mine, "second launcher not refused"
        return False
    remaining = iter(expect.boxes)
    assert all(t in remaining for t in texts), f"second launcher's boxes {texts}"
    assert set(mine) <= {expect.record} and all(len(ss) == 1 for ss in mine.values())
    for found in mine.values():
        assert start_problems(found, SECOND, expect.home) == []
    return True


def what(event):
    """What an event of window_probe.exe acts on beside the window."""
    return {"move": [str(event.x), str(event.y)], "kill": ["java.exe"]}.get(event.kind, [])


def run(sc, plan, expect, homes):
    """Runs the launcher under the plan's events and box answers until the run has shown what it
    must: the launcher's end, or for a run that neither waits for the watch nor has an event
    that ends it, a start one second old after the last event."""
    last_event = max((e.at_ms for e in plan.events), default=0)
    deadline = 20000 + last_event + sum(d for d, _ in plan.answers)
    deadline += (plan.stay_ms + 40000) * plan.watch
    deadline = max(deadline, (plan.second_ms or 0) + 20000 + sum(d for d, _ in plan.answers))
    events = [a for e in plan.events for a in ["--at", str(e.at_ms), f"--{e.kind}", *what(e)]]
    series = ",".join(f"{d}:{how}" for d, how in plan.answers * 2)
    before = checksums(sc.pfx, homes)
    launcher = sc.launch()
    outs = [open(sc.work / name, "w+", errors="replace") for name in ("probe.out", "boxes.out")]
    tools = [
        ("window_probe.exe", "--any", *events),
        ("msgbox.exe", "--timeout", str(deadline), "--series", series),
    ]
    helpers = [
        sc.pfx.popen(rf"{install.TOOLS}\{exe}", *args, product.CAPTION, stdout=out)
        for (exe, *args), out in zip(tools, outs)
    ]
    must_end = plan.watch or any(e.kind in STOPS for e in plan.events)
    seen_ms, end_ms, second, second_seen = None, None, None, None
    while launcher.ms() < deadline:
        if end_ms is None and (
            launcher.wait(0.1) is not None
            or not must_end
            and seen_ms
            and launcher.ms() >= max(last_event, seen_ms) + 1000
        ):
            # What the run checks: a later end, while it waits for a second launcher, is not
            # the launcher's own answer to the plan.
            end_ms, status = launcher.end_ms or launcher.ms(), launcher.proc.returncode
        if seen_ms is None and expect.record and starts(sc.pfx, expect.record):
            seen_ms = launcher.ms()
        if second is None and plan.second_ms is not None and launcher.ms() >= plan.second_ms:
            second = sc.launch(SECOND)
        if second_seen is None and second and by_launcher(all_starts(sc.pfx), SECOND):
            second_seen = launcher.ms()
        # The second launcher has shown what it does once it has ended or its server runs.
        second_done = (
            plan.second_ms is None
            or second
            and (second.wait(0) is not None or second_seen and launcher.ms() >= second_seen + 1000)
        )
        if end_ms is not None and second_done:
            break
        time.sleep(0.05 * (end_ms is not None))
    if end_ms is None:
        end_ms, status = launcher.ms(), launcher.wait(0)
    # The launcher may end right after the start, before the server has written its record, and
    # msgbox.exe reports a box's end once the box is gone, which may be the launcher's end.
    waited = time.monotonic() + 3
    while time.monotonic() < waited and (
        launcher.end_ms
        and expect.record
        and not starts(sc.pfx, expect.record)
        or text_of(outs[1]).count("found=1") > text_of(outs[1]).count("result=")
    ):
        time.sleep(0.05)
    for helper in helpers:
        helper.kill()
        helper.wait()
    assert not any(launch.crash() for launch in sc.launches), "Wine reports a crash"
    reports = blocks(text_of(outs[0]), "at_ms")
    source = {c: rf"{product.SUPPORT_DIR}\{c.rsplit(chr(92), 1)[1]}" for c in expect.copies}
    return Observed(
        launched=launcher.started * 1000,
        pid=reports[0].get("pid") if reports else None,
        found_ms=int(reports[0].get("ms_since_start", 0)) if reports else 0,
        events=[(e.kind, report) for e, report in zip(plan.events, reports[1:])],
        boxes=[b for b in box_reports(text_of(outs[1])) if b.get("found") == "1"],
        status=status,
        end_ms=end_ms,
        starts={name: found for name, found in all_starts(sc.pfx).items() if found},
        before=before,
        after=checksums(sc.pfx, homes),
        sources={c: md5(sc.pfx.unix(path)) for c, path in source.items()},
        second=second and dict(launched=second.started * 1000, status=second.wait(0)),
    )


def before_tick(got, stop):
    """Whether the first close or quit came before the first tick. The tick comes 2000 ms after
    the window, so one before 1800 ms beats it; the sequence's first step hides the window, so one
    that finds it hidden after it was shown comes after the tick. Near the tick the run's own
    outcome tells which of the two it met."""
    if int(stop["at_ms"]) < 1800:
        return True
    if stop["at_window"] == "hidden" and int(stop["at_ms"]) >= got.found_ms + 200:
        return False
    return not got.boxes and got.status == 0 and not got.starts


def check(expect, got):
    """What must hold whatever the plan: the boxes the set-up allows in their order, at most one
    server start and exactly the right one, the runtime's files, and the launcher's end as what
    ends it allows."""
    acted = [(kind, r) for kind, r in got.events if r.get("at_window") in ("shown", "hidden")]
    stops = [r for kind, r in acted if kind in STOPS]
    quits = [got.ms(r["at_unix_ms"]) for kind, r in acted if kind == "quit"]
    for kind, r in acted:  # the launcher never holds up a logoff
        assert kind != "logoff" or r.get("query_answer") == "1" or got.status is not None, r
    kills = [int(r["at_unix_ms"]) for kind, r in acted if kind == "kill" and r["killed"] != "0"]
    # At most one server of the installation at any time, whichever launcher started it.
    servers = sorted((s for ss in got.starts.values() for s in ss), key=lambda s: s["started_ms"])
    for before, after in zip(servers, servers[1:]):
        assert after["started_ms"] >= ends(before, kills), "two servers at once"
    if got.second:  # what remains is the first launcher's
        second_ran = check_second(expect, got, kills)
        got.boxes = [b for b in got.boxes if b.get("pid") == got.pid]
        got.starts = by_launcher(got.starts, APP)
    closed_first = stops and before_tick(got, stops[0])
    copies = expect.copies if not closed_first or got.second and second_ran else []
    if closed_first:  # nothing is launched
        expect = Expected([], "", "", False, [])

    # A quit ends the boxes still open and to come at once.
    texts, remaining = [b["text"] for b in got.boxes], iter(expect.boxes)
    for box in got.boxes:
        result, caption = box["result"], box["caption"]
        assert caption == product.CAPTION
        assert result in ((0, 5) if quits else (0,)), f"{box['text']!r}: {RESULTS.get(result)}"
    assert all(t in remaining for t in texts) if quits else texts == expect.boxes
    assert set(got.starts) <= {expect.record}, "a stand-in started that must not"
    if expect.record:
        assert expect.record in got.starts, "the server was not started"
        assert start_problems(got.starts[expect.record], APP, expect.home) == []
    assert got.after == got.before | {c: got.sources[c] for c in copies}, "runtime files"

    # The launcher's end: each cause allows an end from its earliest moment to its latest one
    # (and MARGIN_MS more).
    causes, server = {}, got.starts.get(expect.record, [{}])[0]
    start_ms = got.ms(server.get("started_ms", got.launched))
    answered = [got.ms(b["answered_unix_ms"]) for b in got.boxes if "answered_unix_ms" in b]
    if stops:
        at = got.ms(stops[0]["at_unix_ms"])
        causes["a close or quit"] = (at, at if closed_first else max([at, start_ms] + answered))
    if expect.ends_itself:
        causes["its last box"] = (0, max(answered + quits + [0]))
    gone = [got.ms(k) for k in kills if got.ms(k) >= start_ms]
    gone += [got.ms(server["ended_ms"])] if "ended_ms" in server else []
    if server and gone:  # the watch's first tick after the server's end
        causes["the watch"] = (max(min(gone), start_ms + WATCH_MS - 1000), min(gone) + WATCH_MS)
    earliest = min([c[0] for c in causes.values()] + [float("inf")])
    latest = min([c[1] + MARGIN_MS for c in causes.values()] + [float("inf")])
    status, end_ms = got.status, got.end_ms
    end = f"launcher {'ended' if status is not None else 'still ran'} at {end_ms} ms"
    assert status in (None, int(expect.ends_itself)), end
    assert status is None or earliest <= end_ms, f"{end}, before {causes}"
    assert end_ms <= latest, f"{end}, after {causes} (+{MARGIN_MS} ms)"


def attempt(template, plan, k, kept):
    """The plan in a fresh copy of the template: answers the run's outcome and what failed (then
    its files are kept in `kept`), or None."""
    sc, got = Scenario(template, template.path.parent / f"run-{k}"), None
    try:
        sc.start()
        home = rf"{template.config.program_files}\Java\jre6" if plan.blank_home else r"C:\Java\jre6"
        expect = expected(plan, home)
        got = run(sc, plan, expect, lay_out(sc.pfx, plan, home))
        check(expect, got)
        return got, None
    except Exception as failure:
        failure.add_note(f"run {k}: {plan}\nobserved: {got}\nfiles kept in {sc.keep(kept)}")
        return got, failure
    finally:
        sc.pfx.stop()
        sc.remove()


def test_sweep(config, lane, templates, request, record_property):
    """One lane of the sweep in `config`: its share of --sweep-runs, from its own seed. A failure
    is shrunk within --sweep-shrink-seconds: every plan's outcome is remembered, and once the time
    is used up a plan not met before counts as passing, so that the final replay stays
    consistent; so do new plans after --sweep-seconds."""
    option = request.config.getoption
    number, lanes = lane
    name, runs = f"{config.name}-{number}", -(-option("sweep_runs") // lanes)
    lane_seed = (option("sweep_seed") or random.randrange(10**9)) + number
    log = ROOT / "build" / "sweep" / f"{name}.log"
    log.parent.mkdir(parents=True, exist_ok=True)
    log.write_text(f"sweep {name}: seed {lane_seed}, {runs} runs\n")
    print(f"sweep {name}: seed {lane_seed}, {runs} runs; log {log}")
    template, outcomes, started = templates(config), {}, time.monotonic()
    until = [started + option("sweep_seconds")]  # then the end of the time left for shrinking
    replay = [
        f"replay: WL_CONFIGS={config.name} /usr/bin/python3 -m pytest"
        f" tests/wine/test_sweep.py --sweep-seed {lane_seed} --sweep-runs "
    ]

    def one(plan):
        # Hypothesis may draw a plan twice: the runs are counted, not the draws.
        fresh = plan not in outcomes and (len(outcomes) < runs or len(replay) > 1)
        if fresh and time.monotonic() < until[0]:
            k, t0 = len(outcomes) + 1, time.monotonic()
            got, failed = attempt(template, plan, k, ARTIFACTS / config.name / f"sweep-{name}-{k}")
            outcomes[plan] = failed
            with log.open("a") as out:
                result = f"FAIL {failed!r}" if failed else "ok"
                print(
                    f"run {k}: {plan}\n  {result}: {got} ({time.monotonic() - t0:.0f} s)", file=out
                )
            if failed and len(replay) == 1:  # the first failure: shrinking begins
                until[0] = time.monotonic() + option("sweep_shrink_seconds")
                replay.append(str(k))
            if failed:
                failed.add_note("".join(replay))
        if outcomes.get(plan):
            raise outcomes[plan]

    # A given seed replays a sweep as it was; otherwise the failures saved before come first.
    phases = [Phase.explicit, Phase.generate, Phase.shrink]
    phases += [Phase.reuse] * (not option("sweep_seed"))
    database = DirectoryBasedExampleDatabase(ROOT / "build" / "hypothesis" / f"sweep-{name}")
    rules = settings(
        max_examples=runs * 3,
        deadline=None,
        phases=phases,
        database=database,
        print_blob=True,
        report_multiple_bugs=False,
        suppress_health_check=list(HealthCheck),
    )
    try:
        seed(lane_seed)(rules(given(plans)(one)))()
    finally:
        failed = sum(map(bool, outcomes.values()))
        for key, value in dict(runs=len(outcomes), failed=failed, seed=lane_seed).items():
            record_property(f"sweep_{key}", value)
        record_property("sweep_seconds", round(time.monotonic() - started))
