"""The uninstaller run again: after a run that a held file stopped part way, the next one, or an
upgrade, still finds everything it needs."""
import pytest

from test_installer import installed

from winesetup.installer import UNINSTALL, hold, install_log, run_line, uninstall_entry, uninstalled
from winesetup.product import EXE

APP = r"C:\Apps\Dovern SMS"
# What stays of a run stopped by the held launcher: that file, and what the next run needs.
PARTIAL = sorted([EXE.lower(), UNINSTALL, "uninstall-core.exe", "shipped.sha256", "install.log"])


@pytest.mark.pe32
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
