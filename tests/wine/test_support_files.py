"""The support files: copied into the runtime where missing, never over what is there; copiers
take turns, and one that finds the turn held too long copies in names of its own."""
import shutil
import subprocess
import time

import pytest

from winesetup.install import TOOLS, folder, put_launcher, put_runtime, put_support_files
from winesetup.product import TEXT_COPY_ERROR
from winesetup.records import starts
from winesetup.scenario import APP, COPIED_FILES, JRE6, RUNTIME_FILES


@pytest.mark.pe32
def test_support_files_copied(sc):
    put_support_files(sc.pfx)
    put_runtime(sc.pfx, "1.6.0_45", JRE6, "jre6")
    jdc = sc.pfx.unix(rf"{JRE6}\lib\ext\jdc.jar")
    jdc.write_bytes(b"older jdc, must stay\n")
    sc.launch()
    sc.server("jre6")
    sc.copied(JRE6, (r"lib\ext\Comm.jar", r"lib\javax.comm.properties", r"bin\Win32com.dll"))
    assert jdc.read_bytes() == b"older jdc, must stay\n", "existing lib\\ext\\jdc.jar was replaced"
    assert sc.tree(JRE6) == sorted(RUNTIME_FILES + COPIED_FILES)


def system_description(sc):
    text = sc.box()
    assert text and text != TEXT_COPY_ERROR and "%" not in text, "not the system's description"


def test_missing_support_folder(sc):
    put_runtime(sc.pfx, "1.6.0_45", JRE6, "jre6")
    sc.launch()
    system_description(sc)
    sc.box(TEXT_COPY_ERROR)
    sc.server("jre6")
    assert sc.tree(JRE6) == RUNTIME_FILES


@pytest.mark.pe32
def test_missing_ext_folder(sc):
    put_support_files(sc.pfx)
    put_runtime(sc.pfx, "1.6.0_45", JRE6, "jre6")
    sc.pfx.unix(rf"{JRE6}\lib\ext").rmdir()
    sc.launch()
    system_description(sc)
    sc.box(TEXT_COPY_ERROR)
    sc.server("jre6")
    assert not sc.pfx.unix(rf"{JRE6}\lib\ext").exists(), "lib\\ext was created"
    assert sc.tree(JRE6) == RUNTIME_FILES, "copying went on after the first failure"


SECOND = r"C:\Apps\Second"
TURN_RECORD = rf"{TOOLS}\turn.txt"
# As a lock made by an elevated process or another user: anyone may wait for it and let it go,
# no one may open it with every right.
TURNS_ONLY = "D:(A;;0x100001;;;WD)"


def turn_record(sc):
    path = sc.pfx.unix(TURN_RECORD)
    text = path.read_text() if path.exists() else ""
    return dict(line.partition("=")[::2] for line in text.splitlines())


def hold_turn(sc, hold_ms, partial_of=None):
    """hold_turn.exe holding the copy turn for `hold_ms`, writing a temporary of `partial_of`
    meanwhile when given; answers its record once it holds the turn."""
    shutil.copy(sc.pfx.helpers / "hold_turn.exe", folder(sc.pfx, TOOLS))
    args = [TURN_RECORD, TURNS_ONLY, str(hold_ms)] + ([partial_of] if partial_of else [])
    sc.pfx.popen(rf"{TOOLS}\hold_turn.exe", *args, stdout=subprocess.DEVNULL,
                 stderr=subprocess.DEVNULL)  # fmt: skip
    deadline = time.monotonic() + 10
    while "held_ms" not in (record := turn_record(sc)):
        assert time.monotonic() < deadline, "hold_turn.exe did not take the turn"
        time.sleep(0.05)
    return record


def two_servers(sc, secs):
    """Both installations' servers, once both have started within `secs`."""
    deadline = time.monotonic() + secs
    while len(found := starts(sc.pfx, "jre6")) < 2:
        assert time.monotonic() < deadline, f"{len(found)} of 2 servers in {secs} s"
        time.sleep(0.1)
    assert sorted(s["cwd"] for s in found) == sorted([APP, SECOND])
    return found


def lay_out_two_installations(sc):
    put_support_files(sc.pfx)
    put_runtime(sc.pfx, "1.6.0_45", JRE6, "jre6", stay_ms=20000)
    put_launcher(sc.pfx, SECOND)


def test_two_installations_wait_for_the_turn_of_another(sc):
    """The turn is held by a process that grants only waiting and letting go: both launchers
    wait for it, then copy in turn."""
    lay_out_two_installations(sc)
    hold_turn(sc, 3000)
    sc.launch()
    sc.launch(SECOND)
    found = two_servers(sc, 15)
    released = int(turn_record(sc)["released_ms"])
    assert all(s["started_ms"] >= released for s in found), "copied without the turn"
    sc.copied(JRE6)
    assert sc.tree(JRE6) == sorted(RUNTIME_FILES + COPIED_FILES)
    sc.no_box()


def test_turn_never_let_go(sc):
    """The holder keeps the turn past the launchers' wait while it writes its temporary: each
    launcher goes on without the turn in names of its own, leaves the holder's alone, and every
    file is whole."""
    lay_out_two_installations(sc)
    held = hold_turn(sc, 16000, rf"{JRE6}\lib\ext\Comm.jar")
    sc.launch()
    sc.launch(SECOND)
    found = two_servers(sc, 20)
    assert all(s["started_ms"] - int(held["held_ms"]) >= 9500 for s in found), "did not wait"
    assert "released_ms" not in turn_record(sc), "the holder let go too early for the test"
    partial = held["partial"]
    assert sc.pfx.unix(partial).read_bytes() == b"half", "the holder's temporary was touched"
    sc.copied(JRE6)
    kept = partial[len(JRE6) + 1 :].replace("\\", "/").lower()
    assert sc.tree(JRE6) == sorted(RUNTIME_FILES + COPIED_FILES + [kept])
    sc.no_box()
