"""Fixtures of the Wine tests: per worker one display and one template prefix per configuration,
per scenario a copy of it; the configurations this host runs as the `config` parameter."""
import os
import shutil
import tempfile
from pathlib import Path

import pytest

pytest.register_assert_rewrite("winesetup")

from winesetup.build import build  # noqa: E402
from winesetup.configs import host_configs  # noqa: E402
from winesetup.display import start_xvfb  # noqa: E402
from winesetup.installer import OLDER, VERSION, build_installer, make_payload  # noqa: E402
from winesetup.installer import put_setup  # noqa: E402
from winesetup.prefix import make_template, written_system_files  # noqa: E402
from winesetup.runs import answer_boxes  # noqa: E402
from winesetup.scenario import ARTIFACTS, Scenario  # noqa: E402

CONFIGS = host_configs()


def pytest_addoption(parser):
    group = parser.getgroup("sweep", "the randomised sweep (test_sweep.py)")
    group.addoption("--sweep-runs", type=int, default=20, help="runs per configuration")
    group.addoption("--sweep-seed", type=int, help="the first lane's seed (replays a sweep)")
    group.addoption("--sweep-seconds", type=float, default=3600, help="time for the runs, per lane")
    group.addoption("--sweep-shrink-seconds", type=float, default=600, help="time for shrinking")


def pytest_configure(config):
    config.addinivalue_line("markers", "only(*configs): runs in these configurations only")
    config.addinivalue_line(
        "markers",
        "pe32: covers what can differ between the PE32 and the x86-64 build (the registry's views,"
        " structures handed to Windows, callbacks, the x86 installer): the subset that the"
        " emulated machine runs where the host runs no 32-bit code",
    )
    config.addinivalue_line("markers", "xdist_group(name): the tests that one worker runs")


def pytest_generate_tests(metafunc):
    """Each test once per configuration, all of a configuration's on one worker when several run
    side by side. The sweep's lanes fill the workers, each lane on a worker of its own."""
    if "config" not in metafunc.fixturenames:
        return
    only = metafunc.definition.get_closest_marker("only")
    sweep = "lane" in metafunc.fixturenames
    lanes = (
        max(1, int(os.environ.get("PYTEST_XDIST_WORKER_COUNT", 1)) // len(CONFIGS)) if sweep else 1
    )
    params = [
        pytest.param(c, *[(n, lanes)] * sweep, id=f"{c.name}-{n}" if sweep else c.name,
                     marks=[pytest.mark.xdist_group(f"{c.name}-{n}")] * (sweep or len(CONFIGS) > 1))
        for c in CONFIGS if not only or c.name in only.args for n in range(lanes)
    ]  # fmt: skip
    metafunc.parametrize("config, lane" if sweep else "config", params)


@pytest.fixture(scope="session")
def work():
    path = Path(tempfile.mkdtemp(prefix="wine-tests-"))
    yield path
    shutil.rmtree(path, ignore_errors=True)


@pytest.fixture(scope="session", autouse=True)
def display(work):
    xvfb, os.environ["DISPLAY"] = start_xvfb(work / "xvfb.log")
    yield
    xvfb.terminate()  # it removes its socket
    xvfb.wait(10)


@pytest.fixture(scope="session")
def templates(work):
    """The template prefix of a configuration, made the first time it is asked for."""
    made = {}

    def template(config):
        if config.name not in made:
            path = work / config.name / "template"
            made[config.name] = make_template(path, config, build(config.preset))
        return made[config.name]

    return template


@pytest.fixture
def sc(request, config, templates, work):
    template = templates(config)
    scenario = Scenario(template, work / config.name / request.node.name)
    try:
        scenario.start()
        yield scenario
    finally:
        scenario.pfx.stop()
        shutil.rmtree(scenario.work)
    # The copy shared the template's system folders (copy_prefix).
    assert written_system_files(template) == [], "the scenario wrote into shared system folders"


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item):
    """A failed scenario keeps its files, records and screenshots, and says where."""
    report = (yield).get_result()
    sc = item.funcargs.get("sc")
    if report.failed and report.when == "call" and sc and hasattr(report.longrepr, "addsection"):
        kept = sc.keep(ARTIFACTS / sc.pfx.config.name / item.name)
        boxes = answer_boxes(sc.pfx, "--leave", timeout_ms=300)
        text = f"files kept in {kept}\nopen message box: {boxes[0].get('text', 'none')!r}"
        report.longrepr.addsection("kept", text)


def pytest_terminal_summary(terminalreporter):
    reports = terminalreporter.getreports("passed") + terminalreporter.getreports("failed")
    lanes = [dict(r.user_properties) for r in reports if r.when == "call"]
    lanes = [lane for lane in lanes if "sweep_runs" in lane]
    if lanes:
        runs, failed = (sum(lane[f"sweep_{key}"] for lane in lanes) for key in ("runs", "failed"))
        seconds = max(lane["sweep_seconds"] for lane in lanes)
        terminalreporter.write_line(
            f"sweep: {runs} runs ({failed} failed) in {seconds} s, {len(lanes)} lanes side by side:"
            f" {runs * 60 / max(seconds, 1):.1f} runs a minute; seeds"
            f" {[lane['sweep_seed'] for lane in lanes]}"
        )


@pytest.fixture(scope="session")
def installers(work):
    """Per configuration: the installer of this version and one of an older version whose
    payload has a file that this one no longer has, with their payloads."""
    made = {}

    def installers_of(config):
        if config.preset not in made:
            out = work / f"installers-{config.preset}"
            new = make_payload(out / "payload", VERSION)
            old = make_payload(out / "older-payload", OLDER, extra=[r"lib\dropped.jar"])
            made[config.preset] = dict(
                new=build_installer(config, new, out), payload=new,
                old=build_installer(config, old, out, version=OLDER), old_payload=old,
            )  # fmt: skip
        return made[config.preset]

    return installers_of


@pytest.fixture
def setups(sc, config, installers):
    """The installers in the scenario's C:\\setup."""
    made = installers(config)
    return dict(made, new=put_setup(sc.pfx, made["new"]), old=put_setup(sc.pfx, made["old"]))
