"""One server per installation: a second start is refused while the server runs, whoever
started it; the lock goes with the server, so the first start after its end works at once."""
import time

import pytest

from winesetup.configs import TIME_SCALE
from winesetup.install import put_launcher, put_runtime, put_support_files
from winesetup.prepare import put_prepare_java, run_prepare_java_line
from winesetup.product import TEXT_NO_RUNTIME, text_already_running
from winesetup.records import starts
from winesetup.runs import answer_boxes, probe
from winesetup.scenario import APP, JRE6


def lay_out(sc, stay_ms, child_ms=0):
    put_support_files(sc.pfx)
    put_runtime(sc.pfx, "1.6.0_45", JRE6, "jre6", stay_ms, child_ms=child_ms)


def servers(sc, count, ended=False, secs=15):
    """The server's first `count` starts once they have come (and the last has `ended`)."""
    deadline = time.monotonic() + secs * TIME_SCALE
    while len(found := starts(sc.pfx, "jre6")) < count or ended and "ended_ms" not in found[-1]:
        assert time.monotonic() < deadline, f"{len(found)} of {count} servers in {secs} s"
        time.sleep(0.1)
    return found[:count]


@pytest.mark.pe32
def test_two_starts_together(sc):
    """Whichever takes the lock first (a slow machine may reorder starts 0.3 s apart) starts the
    server and watches it; the other is refused."""
    lay_out(sc, 8000)
    both = [sc.launch()]
    time.sleep(0.3)
    both.append(sc.launch())
    sc.box(text_already_running(APP))
    sc.server("jre6")
    ends = sorted(str(launch.wait(5)) for launch in both)
    assert ends == ["1", "None"], f"exit statuses {ends}: expected one refused, one watching"


def test_lock_lives_with_the_server(sc):
    """A launcher closed while it watches leaves the lock with its server: a new start is
    refused until that server ends, then starts at once, also while the launcher of the next
    server still watches it."""
    lay_out(sc, 6000)
    closed = sc.launch()
    sc.server("jre6")
    assert probe(sc.pfx, "--any", "--close")[0] == 0, "no window to close"
    assert closed.wait(5) == 0, "the close while watching did not end the launcher"
    sc.launch()
    sc.box(text_already_running(APP))
    sc.exit(1, 5)
    servers(sc, 1, ended=True)
    watching = sc.launch()
    servers(sc, 2, ended=True)
    assert watching.wait(0) is None, "the second server's launcher no longer watches"
    sc.launch()
    found = servers(sc, 3)
    for before, after in zip(found, found[1:]):
        assert after["started_ms"] >= before["ended_ms"], "two servers at once"
    sc.no_box()


def test_two_installations(sc):
    lay_out(sc, 6000)
    second = r"C:\Apps\Second"
    put_launcher(sc.pfx, second)
    sc.launch()
    time.sleep(0.3)
    sc.launch(second)
    assert sorted(s["cwd"] for s in servers(sc, 2)) == sorted([APP, second])
    sc.no_box()


@pytest.mark.pe32
def test_lock_is_not_inherited_by_what_the_server_starts(sc):
    """A program that the server starts inheriting its handles, and that outlives it, does not
    keep the installation locked."""
    lay_out(sc, 2000, child_ms=30000)
    sc.launch()
    assert servers(sc, 1, ended=True)[0]["child_pid"] != "0", "the server started no program"
    sc.launch()
    servers(sc, 2)
    sc.no_box()


def test_no_lock_under_a_box_that_ends_the_launcher(sc):
    """A launcher left on "no runtime" does not refuse the start made once Java is installed."""
    put_support_files(sc.pfx)
    waiting = sc.launch()
    (box,) = answer_boxes(sc.pfx, "--leave")
    assert box["text"] == TEXT_NO_RUNTIME
    put_runtime(sc.pfx, "1.6.0_45", JRE6, "jre6", 6000)
    sc.launch()
    sc.server("jre6")
    sc.box(TEXT_NO_RUNTIME)
    assert waiting.wait(5) == 1
    sc.no_box()


def test_one_lock_however_the_folder_is_spelled(sc):
    """A second start through a link to the installation's folder is refused while its server
    runs: the lock is named after the folder's identity, not its path."""
    lay_out(sc, 8000)
    link = r"C:\Link"
    sc.pfx.unix(link).symlink_to(sc.pfx.unix(APP))
    sc.launch()
    sc.server("jre6")
    sc.launch(link)
    sc.box(text_already_running(link))
    sc.exit(1, 5)


@pytest.mark.pe32
def test_running_answers_for_a_folder_with_a_trailing_backslash(sc):
    r"""Setup asks `/running "<folder>\"`, which reaches PrepareJava.exe as `<folder>"`: while the
    server runs the answer is 20, never "no server"."""
    lay_out(sc, 8000)
    put_prepare_java(sc.pfx, APP)
    sc.launch()
    sc.server("jre6")
    status, report = run_prepare_java_line(sc.pfx, APP, f'/running "{APP}\\"')
    assert status == 20, report
    assert report.startswith(f"The server of the installation in {APP} is running."), report
