"""Setup's support folder, C:\\dovern\\GsmModemJar, laid by PrepareJava.exe /support: what a user
left or planted there is moved aside as a whole, never taken over, and never reaches Java."""
import shutil

import pytest

from winesetup.install import folder, put_runtime, tree

from winesetup.installer import (
    SUPPORT_NAMES, install_log, run_line,
)  # fmt: skip
from winesetup.product import SUPPORT_DIR
from winesetup.scenario import JRE6

PARENT = r"C:\dovern"
ASIDE = r"C:\dovern.before-setup-1"
APP = r"C:\Apps\Dovern SMS"
MOST_ASIDE = 1000  # the names PrepareJava.exe tries before it gives up


def plant(sc):
    """A C:\\dovern of a user's, with a file of theirs and a Win32com.dll of their own."""
    folder(sc.pfx, SUPPORT_DIR)
    sc.pfx.unix(rf"{PARENT}\notes.txt").write_text("the user's\n")
    sc.pfx.unix(rf"{SUPPORT_DIR}\Win32com.dll").write_bytes(b"planted\n")


def test_a_users_folder_is_moved_aside_and_java_gets_the_payloads_dll(sc, setups):
    setup, payload = setups["new"], setups["payload"]
    plant(sc)
    put_runtime(sc.pfx, "1.6.0_45", JRE6, "jre6")
    assert run_line(sc.pfx, rf"{setup} /S /D={APP}") == 0
    aside = sc.pfx.unix(ASIDE)
    assert (aside / "notes.txt").read_text() == "the user's\n"
    assert (aside / "GsmModemJar" / "Win32com.dll").read_bytes() == b"planted\n"
    assert tree(sc.pfx, ASIDE) == ["gsmmodemjar/win32com.dll", "notes.txt"]
    for name in SUPPORT_NAMES:
        laid = (payload / "GsmModemJar" / name).read_bytes()
        assert sc.pfx.unix(rf"{SUPPORT_DIR}\{name}").read_bytes() == laid
    dll = (payload / "GsmModemJar" / "Win32com.dll").read_bytes()
    assert sc.pfx.unix(rf"{JRE6}\bin\Win32com.dll").read_bytes() == dll
    log = install_log(sc.pfx, APP)
    assert rf"moved aside: {PARENT} to {ASIDE}" in log


def test_no_free_name_aside_ends_the_install_with_the_folder_untouched(sc, setups):
    setup = setups["new"]
    plant(sc)
    for n in range(1, MOST_ASIDE + 1):
        folder(sc.pfx, rf"{PARENT}.before-setup-{n}")
    assert run_line(sc.pfx, rf"{setup} /S") == 2
    assert tree(sc.pfx, PARENT) == ["gsmmodemjar/win32com.dll", "notes.txt"]
    assert sc.pfx.unix(rf"{SUPPORT_DIR}\Win32com.dll").read_bytes() == b"planted\n"


def support(sc):
    """Runs C:\\helper\\PrepareJava.exe /support C:\\pay\\; answers its report (UTF-16)."""
    out = sc.pfx.unix(r"C:\helper\out.txt")
    with open(out, "wb") as stdout:
        proc = sc.pfx.popen(r"C:\helper\PrepareJava.exe", "/support", "C:\\pay\\", stdout=stdout)
        assert proc.wait(60) == 0
    return out.read_bytes().decode("utf-16-le")


@pytest.mark.pe32
def test_wine_keeps_no_acl_so_setups_own_folder_is_moved_aside_too(sc):
    """On Windows the second run keeps the folder the first one made (its owner and protected
    DACL read back exactly) and replaces its files; Wine reads back a descriptor made up from
    the Unix mode, so the folder looks like anybody's and goes aside, as a user's would."""
    helper = folder(sc.pfx, r"C:\helper")
    shutil.copy(sc.pfx.build / "PrepareJava.exe", helper)
    pay = folder(sc.pfx, r"C:\pay")
    for name in SUPPORT_NAMES:
        (pay / name).write_text(f"payload's {name}\n")
    first, second = support(sc), support(sc)
    assert first.splitlines()[:2] == [rf"made: {PARENT}", rf"made: {SUPPORT_DIR}"]
    assert second.splitlines()[0] == rf"moved aside: {PARENT} to {ASIDE}"
    assert tree(sc.pfx, ASIDE) == sorted(f"gsmmodemjar/{n.lower()}" for n in SUPPORT_NAMES)
    assert (pay / "Win32com.dll").read_bytes() == sc.pfx.unix(
        rf"{SUPPORT_DIR}\Win32com.dll").read_bytes()  # fmt: skip
