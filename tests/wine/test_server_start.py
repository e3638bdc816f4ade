"""How the launcher starts the server, and what it says when the start fails."""
import re

import pytest

from winesetup.install import add_runtime, put_launcher, put_runtime, put_standin
from winesetup.install import put_support_files
from winesetup.product import TEXT_COPY_ERROR
from winesetup.runs import answer_boxes
from winesetup.scenario import APP, COPIED_FILES, JRE6, RUNTIME_FILES

RUN_TIME_ERROR = r"Run-time error '(\d+)':\r\n\r\n[^%]+"


def lay_out_blanks(sc, app, home, record):
    """The launcher in `app` and a runtime in `home` whose path holds blanks, beside the decoy
    C:\\Program.exe: the launcher quotes the runtime's program path, so that the decoy never
    runs, and its class path is one argument whatever blanks `app` holds."""
    put_launcher(sc.pfx, app)
    put_support_files(sc.pfx)
    put_runtime(sc.pfx, "1.8", home, record)
    put_standin(sc.pfx, "C:\\", "decoy", name="Program.exe")


@pytest.mark.pe32
def test_blank_in_javahome(sc, config):
    """The runtime where its installer puts it: under C:\\Program Files (x86) on 64-bit Windows,
    with parentheses besides the blank."""
    app, home = r"C:\Dovern SMS\Server", rf"{config.program_files}\Java\jre6"
    lay_out_blanks(sc, app, home, "jre6")
    sc.launch(app)
    sc.server("jre6", app, home)
    sc.no_starts("decoy")
    sc.copied(home)


@pytest.mark.pe32
@pytest.mark.only("wow64")
def test_runtimes_in_both_views(sc, config):
    """Both Javas under the same version names: the 32-bit one (32-bit view, under Program
    Files (x86)) starts and gets the copies; the 64-bit one is never touched."""
    app = rf"{config.program_files}\Dovern SMS Server"
    home32, home64 = (
        rf"{pf}\Java\jre1.8.0_202" for pf in (config.program_files, r"C:\Program Files")
    )
    lay_out_blanks(sc, app, home32, "jre32")
    # Written last, so that it would replace the 32-bit one in a shared view.
    put_runtime(sc.pfx, "1.8", home64, "jre64", view=config.other_view)
    sc.launch(app)
    sc.server("jre32", app, home32)
    sc.no_starts("decoy", "jre64")
    sc.copied(home32)
    assert sc.tree(home32) == sorted(RUNTIME_FILES + COPIED_FILES)
    assert sc.tree(home64) == RUNTIME_FILES


def test_failing_start(sc):
    put_support_files(sc.pfx)
    home = r"C:\Java\broken"
    sc.pfx.unix(rf"{home}\lib\ext").mkdir(parents=True)
    sc.pfx.unix(rf"{home}\bin").mkdir()
    put_standin(sc.pfx, r"C:\windows", "windows")
    add_runtime(sc.pfx, "1.6.0_45", home)
    sc.launch()
    assert re.fullmatch(RUN_TIME_ERROR, sc.box())
    sc.exit(1, 5)
    sc.no_starts()


def test_app_folder_gone(sc):
    """The launcher's folder is renamed while the sequence waits in the copies' boxes: making it
    the current directory fails, which is reported, and no server starts."""
    put_runtime(sc.pfx, "1.6.0_45", JRE6, "jre6")  # no support files: two boxes
    put_standin(sc.pfx, r"C:\windows", "windows")
    sc.launch()
    assert answer_boxes(sc.pfx, "--leave")[0]["result"] == 0, "no box to wait in"
    sc.pfx.unix(APP).rename(sc.pfx.unix(APP + "-gone"))
    sc.box()
    sc.box(TEXT_COPY_ERROR)
    assert re.fullmatch(RUN_TIME_ERROR, sc.box())[1] in ("2", "3")
    sc.exit(1, 5)
    sc.no_starts()
