"""Setup as an administrator meets it: the start at sign-in, its pages, the payload that a
release accepts, and what PrepareJava.exe tells of the Java it finds."""
import os
import subprocess
import tempfile
import time

import pytest

from winesetup.build import ROOT
from winesetup.install import folder, put_runtime

from winesetup.installer import (
    SETUP_CAPTION, UNINSTALL, make_payload, run_line, uninstall_entry,
)  # fmt: skip
from winesetup.product import EXE
from winesetup.runs import answer_boxes
from winesetup.scenario import ARTIFACTS, JRE6
from winesetup.splash import screenshot

APP = r"C:\Apps\Dovern SMS"
STARTUP_LINK = "Dovern Professional SMS Server.lnk"


@pytest.fixture
def setup(setups):
    return setups["new"]


def link_target(path):
    """The local path in a shortcut's LinkInfo (ANSI)."""
    data = path.read_bytes()
    flags, pos = int.from_bytes(data[0x14:0x18], "little"), 0x4C
    if flags & 1:  # a target ID list comes first
        pos += 2 + int.from_bytes(data[pos : pos + 2], "little")
    base = pos + int.from_bytes(data[pos + 16 : pos + 20], "little")
    return data[base : data.index(b"\0", base)].decode("cp1252")


def startup_links(sc):
    """Every shortcut in a Startup folder of the prefix: each user's and all users'."""
    top = sc.pfx.unix("C:\\")
    found = (str(p.relative_to(top)).lower() for p in top.rglob("*.lnk"))
    return sorted(f for f in found if "/startup/" in f)


def user_startup(sc):
    """The Startup folder of the user who runs Setup (Wine's user is the Unix one)."""
    user = os.environ.get("USER") or subprocess.run(["id", "-un"], capture_output=True,
                                                    text=True).stdout.strip()  # fmt: skip
    return rf"C:\users\{user}\AppData\Roaming\Microsoft\Windows\Start Menu\Programs\Startup"


def test_autostart_makes_the_users_startup_shortcut_and_the_uninstaller_removes_it(sc, setup):
    """/AUTOSTART: one shortcut to the installed launcher in the Startup folder of Setup's user,
    recorded in the uninstall entry; the uninstaller removes it. Without it there is none."""
    assert run_line(sc.pfx, rf"{setup} /S /AUTOSTART /D={APP}") == 0
    link = uninstall_entry(sc.pfx)["AutostartShortcut"]
    assert link.lower() == rf"{user_startup(sc)}\{STARTUP_LINK}".lower()
    assert startup_links(sc) == [link[3:].replace("\\", "/").lower()], "not only the user's Startup"
    assert link_target(sc.pfx.unix(link)) == rf"{APP}\{EXE}"
    assert run_line(sc.pfx, rf'"{APP}\{UNINSTALL}" /S') == 0
    assert not uninstall_entry(sc.pfx), "returned before the uninstall had ended"
    assert startup_links(sc) == []

    # Another folder: under Wine the running uninstall.exe stays in the first until a restart.
    assert run_line(sc.pfx, rf"{setup} /S /D={APP} 2") == 0
    assert startup_links(sc) == []
    assert "AutostartShortcut" not in uninstall_entry(sc.pfx)


def test_an_upgrade_keeps_the_start_at_sign_in_until_told_otherwise(sc, setup):
    """Setup run again over the installation keeps its shortcut; /NOAUTOSTART takes it away."""
    assert run_line(sc.pfx, rf"{setup} /S /AUTOSTART /D={APP}") == 0
    assert run_line(sc.pfx, rf"{setup} /S") == 0
    link = rf"{user_startup(sc)}\{STARTUP_LINK}"
    assert startup_links(sc) == [link[3:].replace("\\", "/").lower()], "the upgrade lost the choice"
    assert uninstall_entry(sc.pfx)["AutostartShortcut"].lower() == link.lower()
    assert run_line(sc.pfx, rf"{setup} /S /NOAUTOSTART") == 0
    assert startup_links(sc) == []
    assert "AutostartShortcut" not in uninstall_entry(sc.pfx)


def wizard_page(sc, name, last=False):
    """Once Setup's window is there (its caption, with a blank after it past the first page),
    keeps a screenshot of it, then clicks its Next button."""
    (page,) = answer_boxes(sc.pfx, "--leave", timeout_ms=20000)
    assert page["caption"].startswith(SETUP_CAPTION), f"no Setup window on the {name} page"
    time.sleep(1)  # drawn
    shots = folder(sc.pfx, r"C:\shots")
    screenshot(shots / f"{name}.png")
    kept = ARTIFACTS / sc.pfx.config.name / "setup-pages"
    kept.mkdir(parents=True, exist_ok=True)
    (kept / f"{name}.png").write_bytes((shots / f"{name}.png").read_bytes())
    (page,) = answer_boxes(sc.pfx, page["caption"])
    assert page["result"] == (3 if last else 4), f"Setup's {name} page did not answer: {page}"


def test_interactive_pages_kept_as_screenshots(sc, config, setup):
    """Welcome, folder, start at sign-in, install, Finish: each page's screenshot is kept in
    build/wine-artifacts; Finish starts the launcher."""
    put_runtime(sc.pfx, "1.6.0_45", JRE6, "jre6")
    env = dict(RUN_LINE=rf"{setup} /D={APP}")
    proc = sc.pfx.popen("cmd", "/c", "%RUN_LINE%", env=env)
    try:
        for name in ("welcome", "folder", "start-at-sign-in"):
            wizard_page(sc, name)
        time.sleep(8)  # the install
        wizard_page(sc, "installed")
        wizard_page(sc, "finish", last=True)
        assert proc.wait(30) == 0
    finally:
        proc.kill()
    sc.server("jre6", APP, JRE6)


def prepare_java_log(sc):
    """PrepareJava.exe /log of an installation in APP: its status and its report."""
    folder(sc.pfx, APP)
    (sc.pfx.unix(APP) / "PrepareJava.exe").write_bytes(
        (sc.pfx.build / "PrepareJava.exe").read_bytes()
    )
    with tempfile.TemporaryFile() as out:
        proc = sc.pfx.popen(rf"{APP}\PrepareJava.exe", "/log", stdout=out,
                            stderr=subprocess.DEVNULL)  # fmt: skip
        try:
            status = proc.wait(60)
        finally:
            proc.kill()
        out.seek(0)
        return status, out.read().decode("utf-16-le").replace("\r\n", "\n")


@pytest.mark.pe32
def test_prepare_java_names_every_runtime_and_the_chosen_one(sc, config):
    put_runtime(sc.pfx, "1.6.0_45", JRE6, "jre6")
    put_runtime(sc.pfx, "1.8.0_401", r"C:\Java\jre8", "jre8")
    status, report = prepare_java_log(sc)
    assert status == 2, report  # no support files to copy here
    assert (
        "registered for 32-bit programs, in the registry's order:\n"
        rf"  1.6.0_45: {JRE6} (chosen)" "\n"
        r"  1.8.0_401: C:\Java\jre8" "\n"
        "Chosen: 1.6.0_45, the first of version 1.5 or later in the registry's order, as the"
        " launcher chooses.\n"
    ) in report  # fmt: skip
    assert "A server that is already running keeps its Java until it is restarted." in report


@pytest.mark.pe32
@pytest.mark.only("wow64")
def test_prepare_java_says_a_64_bit_java_cannot_serve(sc, config):
    put_runtime(sc.pfx, "1.8.0_401", r"C:\Program Files\Java\jre8", "jre8", view="/reg:64")
    status, report = prepare_java_log(sc)
    assert status == 1
    assert (
        "A 64-bit Java is installed; the serial-port library needs a 32-bit one:\n"
        r"  1.8.0_401: C:\Program Files\Java\jre8" "\n"
    ) in report  # fmt: skip


def test_release_refuses_a_payload_without_a_class_path_jar(tmp_path):
    payload = make_payload(tmp_path / "payload", "1")
    (payload / "SMSServer" / "lib" / "jxl.jar").unlink()
    env = {k: v for k, v in os.environ.items() if not k.startswith("SIGN_")}
    done = subprocess.run([ROOT / "tools" / "make_release.sh"], capture_output=True, text=True,
                          env=env | dict(SMS_SERVER_PAYLOAD=str(payload)), timeout=120)  # fmt: skip
    assert done.returncode == 1
    assert "missing: SMSServer\\lib\\jxl.jar\n" in done.stderr
    assert "Dovern_Professional_SMS_Server" not in done.stderr, "a file that is there named"
