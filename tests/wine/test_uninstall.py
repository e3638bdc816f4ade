"""The uninstaller run again: after a run that a held file stopped part way, the next one, or an
upgrade, still finds everything it needs."""
import pytest

from test_installer import SERVER_LOG, installed
from winesetup.install import put_runtime

from winesetup.installer import (
    OWN_FILES, UNINSTALL, hold, install_log, left_for_restart, payload_tree, refused_log, run_line,
    snapshot, uninstall_entry, uninstalled,
)  # fmt: skip
from winesetup.product import EXE
from winesetup.scenario import JRE6

APP = r"C:\Apps\Dovern SMS"
IN_PROGRAM_FILES = r"C:\Program Files\Dovern SMS"  # below $PROGRAMFILES64 in every configuration
# What stays of a run stopped by the held launcher: that file, and what the next run needs.
PARTIAL = sorted([EXE.lower(), UNINSTALL, "shipped.sha256", "install.log"])


@pytest.mark.parametrize("then", ["uninstall", "upgrade"])
def test_partial_uninstall_runs_again(sc, request, then):
    """The launcher's file held open (a launcher left on a box, an antivirus): the uninstall ends
    with status 2 and keeps its uninstaller, its list and its entry; once the file is free, the
    uninstaller run again removes everything, and Setup upgrades the installation."""
    made = request.getfixturevalue("setups")
    assert run_line(sc.pfx, rf"{made['new']} /S /D={APP}") == 0
    release = hold(sc.pfx, rf"{APP}\{EXE}")
    assert run_line(sc.pfx, rf'"{APP}\{UNINSTALL}" /S') == 2
    assert sc.tree(APP) == PARTIAL
    assert uninstall_entry(sc.pfx)["InstallLocation"] == APP
    release()
    if then == "uninstall":
        assert run_line(sc.pfx, rf'"{APP}\{UNINSTALL}" /S') == 0
        assert uninstalled(sc.pfx, APP) == ([], {})
    else:
        assert run_line(sc.pfx, rf"{made['new']} /S") == 0
        assert installed(sc, APP, made["payload"])["InstallLocation"] == APP


@pytest.mark.pe32
def test_edited_file_survives_upgrade_and_uninstall(sc, request):
    """A shipped file that the administrator changed: the upgrade's uninstaller keeps it and Setup
    lays its own version beside it as .new, saying so; the uninstall keeps it too, with the folder
    and its log, and removes the rest, .new included."""
    made = request.getfixturevalue("setups")
    conf = rf"{APP}\SMSServer\conf\server.properties"
    assert run_line(sc.pfx, rf"{made['old']} /S /D={APP}") == 0
    sc.pfx.unix(conf).write_text("port=COM7\n")
    assert run_line(sc.pfx, rf"{made['new']} /S") == 0
    assert sc.pfx.unix(conf).read_text() == "port=COM7\n"
    shipped = (made["payload"] / "SMSServer" / "conf" / "server.properties").read_text()
    assert sc.pfx.unix(conf + ".new").read_text() == shipped
    assert f"Kept {conf}" in install_log(sc.pfx, APP)
    assert run_line(sc.pfx, rf'"{APP}\{UNINSTALL}" /S') == 0
    assert uninstalled(sc.pfx, APP) == (["install.log", "smsserver/conf/server.properties"], {})
    assert sc.pfx.unix(conf).read_text() == "port=COM7\n"


def leave_data_and_uninstall(sc, setup, app):
    """This version in `app`, the server's log and an edited shipped file there, then the quiet
    uninstall; answers the edited file's Windows path and the server log's."""
    conf, data = rf"{app}\SMSServer\conf\server.properties", rf"{app}\{SERVER_LOG}"
    assert run_line(sc.pfx, rf"{setup} /S /D={app}") == 0
    sc.pfx.unix(conf).write_text("port=COM7\n")
    sc.pfx.unix(data).parent.mkdir()
    sc.pfx.unix(data).write_text("written by the server\n")
    assert run_line(sc.pfx, rf'"{app}\{UNINSTALL}" /S') == 0
    kept = sorted(["install.log", "smsserver/conf/server.properties", "smsserver/log/server.log"])
    assert uninstalled(sc.pfx, app) == (kept, {})
    return conf, data


def test_reinstall_into_the_folder_the_uninstall_left(sc, setups):
    """Setup into the folder below Program Files that the uninstall left with the server's data
    and an edited file: both stay, this version's file goes beside the edit as .new, install.log
    goes on and says so (and names the uninstall's command line as given); the restart keeps
    the new uninstall.exe; the launcher starts the server."""
    app = IN_PROGRAM_FILES
    put_runtime(sc.pfx, "1.6.0_45", JRE6, "jre6")
    conf, data = leave_data_and_uninstall(sc, setups["new"], app)
    assert run_line(sc.pfx, rf"{setups['new']} /S /D={app}") == 0
    assert sc.tree(app) == sorted(OWN_FILES + payload_tree(setups["payload"]) + [
        "smsserver/conf/server.properties.new", "smsserver/log/server.log"])  # fmt: skip
    assert sc.pfx.unix(conf).read_text() == "port=COM7\n"
    shipped = (setups["payload"] / "SMSServer" / "conf" / "server.properties").read_text()
    assert sc.pfx.unix(conf + ".new").read_text() == shipped
    assert sc.pfx.unix(data).read_text() == "written by the server\n"
    log = install_log(sc.pfx, app)
    assert log.count("==== Setup of") == 2, "install.log did not go on"
    assert "Setup installs into what an earlier installation left there" in log
    assert f"Kept {conf}, changed since" in log
    assert f'command line: "{app}\\{UNINSTALL}" /S\n' in log, "not the command line given"
    assert app.lower() not in left_for_restart(sc.pfx)
    sc.pfx.run("wineboot", "-r", timeout=120, check=False)
    assert sc.pfx.unix(rf"{app}\{UNINSTALL}").is_file(), "the restart deleted the new uninstaller"
    assert uninstall_entry(sc.pfx)["InstallLocation"] == app
    sc.launch(app)
    sc.server("jre6", app, JRE6)


@pytest.mark.parametrize("kind", ["another-programs", "users-could-write"])
def test_a_folder_not_left_by_this_product_alone_is_refused(sc, setups, kind):
    """Below Program Files a folder that another program left, with a log of its own; or this
    product's leftover where users may write (outside Program Files, unprotected as every folder
    reads under Wine): refused with 2, nothing changed."""
    if kind == "another-programs":
        app = IN_PROGRAM_FILES
        sc.pfx.unix(rf"{app}\data").mkdir(parents=True)
        sc.pfx.unix(rf"{app}\data\notes.txt").write_text("another program's\n")
        sc.pfx.unix(rf"{app}\install.log").write_text("another program's install log\n")
    else:
        app = APP
        leave_data_and_uninstall(sc, setups["new"], app)
    before = snapshot(sc.pfx, app, r"C:\dovern")
    assert run_line(sc.pfx, rf"{setups['new']} /S /D={app}") == 2
    assert snapshot(sc.pfx, app, r"C:\dovern") == before
    why = "holds files, but no install.log" if kind == "another-programs" else "neither below"
    assert why in refused_log(sc.pfx)
    assert "The folder already holds files" in refused_log(sc.pfx)
