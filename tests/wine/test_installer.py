"""The installer and its uninstaller, run as a user or a deployment tool would: silently (/S,
/D=), from the uninstall entry, and interactively where the message is what counts."""
import time

import pytest

from winesetup.install import put_runtime, tree

from winesetup.installer import (
    LAUNCHER_LINK, OLDER, OWN_FILES, PREPARE_LINK, SETUP_CAPTION, SUPPORT_NAMES, UNINSTALL,
    VERSION, install_log, payload_tree,
    refused_log, run_line, setup_env, shortcut_target, snapshot, uninstall_entry, uninstalled,
)  # fmt: skip
from winesetup.product import EXE, SUPPORT_DIR, SUPPORT_FILES
from winesetup.runs import answer_boxes, probe
from winesetup.scenario import JRE6

RUNTIME_COPIES = [f.replace("\\", "/").lower() for f in SUPPORT_FILES]
SERVER_LOG = r"SMSServer\log\server.log"  # a file the server writes into its folder


def default_folder(sc):
    """$PROGRAMFILES32: C:\\Program Files (x86) on 64-bit Windows, for the product and for the amd64
    build of the x64 fallback alike."""
    pf = r"C:\Program Files" if sc.pfx.config.name == "win32" else r"C:\Program Files (x86)"
    return rf"{pf}\Dovern SMS Server"


def installed(sc, app, payload):
    """The installation in `app` is complete: its own files and the payload's, the support
    files, its entry in Programs and Features."""
    assert sc.tree(app) == sorted(OWN_FILES + payload_tree(payload))
    for name in SUPPORT_NAMES:
        laid = sc.pfx.unix(rf"{SUPPORT_DIR}\{name}").read_bytes()
        assert laid == (payload / "GsmModemJar" / name).read_bytes(), f"{name} not laid"
    return uninstall_entry(sc.pfx)


def copied_into(sc, home, payload):
    """The support files in runtime `home` are the payload's."""
    for f in SUPPORT_FILES:
        copy = sc.pfx.unix(rf"{home}\{f}")
        source = payload / "GsmModemJar" / f.rsplit("\\", 1)[1]
        assert copy.is_file() and copy.read_bytes() == source.read_bytes(), f"{f} not in {home}"


@pytest.mark.pe32
def test_install_start_uninstall(sc, config, setups):
    """Silent install into the default folder with a registered runtime under Program Files,
    the launcher started from the shortcut's target, then the silent uninstall from the entry."""
    home = rf"{config.program_files}\Java\jre6"
    put_runtime(sc.pfx, "1.6.0_45", home, "jre6")
    assert run_line(sc.pfx, rf"{setups['new']} /S") == 0
    app, payload = default_folder(sc), setups["payload"]
    entry = installed(sc, app, payload)
    uninstall = rf'"{app}\{UNINSTALL}"'
    assert entry == {
        "DisplayName": "Dovern Professional SMS Server", "DisplayVersion": VERSION,
        "Publisher": "dovern", "DisplayIcon": rf"{app}\{EXE},0", "InstallLocation": app,
        "UninstallString": uninstall, "QuietUninstallString": f"{uninstall} /S",
        "EstimatedSize": entry["EstimatedSize"], "NoModify": 1, "NoRepair": 1,
        "InstallDate": time.strftime("%Y%m%d"),
    }  # fmt: skip
    assert entry["EstimatedSize"] > 200, "EstimatedSize below the launcher's KiB"
    copied_into(sc, home, payload)
    assert "Java is prepared for the server." in install_log(sc.pfx, app)
    assert shortcut_target(sc.pfx, PREPARE_LINK) == rf"{app}\PrepareJava.exe"
    target = shortcut_target(sc.pfx, LAUNCHER_LINK)
    assert target == rf"{app}\{EXE}"

    sc.launch(target.rsplit("\\", 1)[0])
    sc.server("jre6", app, home)
    assert probe(sc.pfx, "--any", "--close")[0] == 0, "no launcher window to close"
    sc.exit(0, 10)
    sc.pfx.unix(rf"{app}\{SERVER_LOG}").parent.mkdir()
    sc.pfx.unix(rf"{app}\{SERVER_LOG}").write_text("written by the server\n")
    # uninstall.exe returns once everything is done.
    assert run_line(sc.pfx, entry["QuietUninstallString"]) == 0
    left = ["install.log", SERVER_LOG.replace("\\", "/").lower()]
    assert uninstalled(sc.pfx, app) == (left, {}), "returned before it was done"
    assert "==== Uninstaller of Dovern Professional SMS Server" in install_log(sc.pfx, app)
    assert not sc.pfx.unix(r"C:\dovern").exists(), "the support folder holding only Setup's stays"
    copied_into(sc, home, payload)
    assert (shortcut_target(sc.pfx, LAUNCHER_LINK), shortcut_target(sc.pfx, PREPARE_LINK)) == (
        None, None)  # fmt: skip


def test_no_runtime_and_a_folder_outside_the_code_page(sc, setups):
    """No Java: the install finishes and says so. The folder, given with /D=, holds blanks and
    Cyrillic letters. A support folder that holds a file of the user's is moved aside, and stays
    at the uninstall."""
    app = r"C:\Apps\Сервер СМС"
    user_file = sc.pfx.unix(rf"{SUPPORT_DIR}\notes.txt")
    user_file.parent.mkdir(parents=True)
    user_file.write_text("the user's\n")
    assert run_line(sc.pfx, rf"{setups['new']} /S /D={app}") == 0
    assert installed(sc, app, setups["payload"])["InstallLocation"] == app
    assert "No Java for the server yet" in install_log(sc.pfx, app)
    assert run_line(sc.pfx, rf'"{app}\{UNINSTALL}" /S') == 0
    assert not sc.pfx.unix(rf"{app}\install.log").exists(), "the log stays with nothing else"
    assert tree(sc.pfx, r"C:\dovern.before-setup-1") == ["gsmmodemjar/notes.txt"]
    assert not sc.pfx.unix(r"C:\dovern").exists()


def test_refused_while_the_server_runs(sc, config, setups):
    """While the server of the installation runs, neither Setup (its box says why) nor the
    uninstaller changes anything; nor does Setup aimed at a second folder."""
    app = default_folder(sc)
    put_runtime(sc.pfx, "1.6.0_45", JRE6, "jre6", stay_ms=30000)
    assert run_line(sc.pfx, rf"{setups['new']} /S") == 0
    sc.launch(app)
    sc.server("jre6", app, JRE6)
    before = snapshot(sc.pfx, app, r"C:\dovern", r"C:\Apps")

    setup = sc.pfx.popen(setups["new"], env=setup_env(sc.pfx))
    (box,) = answer_boxes(sc.pfx, SETUP_CAPTION)
    assert box["text"] == (
        f"The server of this installation is running:\r\n{app}\r\nSetup changes nothing while it"
        " runs, for this user or another one: close the server first."
    )
    assert setup.wait(10) == 2
    # The silent uninstall's status is its decision, logged by the time it returns.
    assert run_line(sc.pfx, rf'"{app}\{UNINSTALL}" /S') == 2
    assert "The uninstaller changes nothing while it runs" in refused_log(sc.pfx)
    assert run_line(sc.pfx, rf"{setups['new']} /S /D=C:\Apps\Second") == 2
    assert snapshot(sc.pfx, app, r"C:\dovern", r"C:\Apps") == before


def test_upgrade_keeps_what_the_server_wrote(sc, setups):
    """The older version in a folder given with /D=, then this one in the folder registered:
    Setup's files are replaced, the file this version no longer has is gone, the server's stays."""
    app = r"C:\Apps\Dovern SMS"
    assert run_line(sc.pfx, rf"{setups['old']} /S /D={app}") == 0
    assert installed(sc, app, setups["old_payload"])["DisplayVersion"] == OLDER
    sc.pfx.unix(rf"{app}\{SERVER_LOG}").parent.mkdir()
    sc.pfx.unix(rf"{app}\{SERVER_LOG}").write_text("written by the server\n")
    assert run_line(sc.pfx, rf"{setups['new']} /S") == 0
    assert sc.tree(app) == sorted(
        OWN_FILES + payload_tree(setups["payload"]) + [SERVER_LOG.replace("\\", "/").lower()]
    )
    entry = uninstall_entry(sc.pfx)
    assert (entry["DisplayVersion"], entry["InstallLocation"]) == (VERSION, app)
    jar = sc.pfx.unix(rf"{app}\SMSServer\Dovern_Professional_SMS_Server.jar").read_text()
    assert VERSION in jar, "the server's files were not replaced"
    assert f"Version {OLDER}, installed there, was removed first." in install_log(sc.pfx, app)


@pytest.mark.parametrize("target", [r"C:\Apps\Shared", "C:\\"], ids=["holds-files", "root"])
def test_refused_folder(sc, setups, target):
    """A folder that holds files of its own, or a root: refused with status 2 before anything is
    changed, and said in the log of refused runs."""
    sc.pfx.unix(r"C:\Apps\Shared").mkdir(parents=True)
    sc.pfx.unix(r"C:\Apps\Shared\notes.txt").write_text("someone else's\n")
    top = sorted(p.name for p in sc.pfx.unix("C:\\").iterdir())
    before = snapshot(sc.pfx, r"C:\Apps", default_folder(sc), r"C:\dovern")
    assert run_line(sc.pfx, rf"{setups['new']} /S /D={target}") == 2
    assert snapshot(sc.pfx, r"C:\Apps", default_folder(sc), r"C:\dovern") == before
    assert sorted(p.name for p in sc.pfx.unix("C:\\").iterdir()) == top, "made something in C:\\"
    why = "not into the root of a drive" if target == "C:\\" else "The folder already holds files"
    assert why in refused_log(sc.pfx)
