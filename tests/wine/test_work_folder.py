"""Where Setup and the uninstaller work while elevated: PrepareJava.exe and the support files
only in a working folder below C:\\Windows\\Temp (its descriptor is a unit test's: Wine keeps no
ACL), none in the user's %TEMP%; the folder gone once the run ends, also when Setup refuses at
once."""
import pytest

from winesetup.installer import SUPPORT_NAMES, UNINSTALL, run_watched, uninstalled

APP = r"C:\Apps\Dovern SMS"


def work_folders(seen):
    return {d: files for d, files in seen.items() if d.startswith("windows/temp/dovernsetup-")}


def work_folders_left(sc):
    return sorted(sc.pfx.unix(r"C:\windows\temp").glob("DovernSetup-*"))


def elevated_files_outside(seen):
    """The programs and support files seen anywhere but in a working folder."""
    ours = {"preparejava.exe", *(n.lower() for n in SUPPORT_NAMES)}
    found = {d: {f.rsplit("/", 1)[-1] for f in files} & ours for d, files in seen.items()}
    return {d: hits for d, hits in found.items() if hits and d not in work_folders(seen)}


@pytest.mark.pe32
def test_setup_and_uninstall_work_only_in_their_own_folder_and_leave_none(sc, setups):
    status, seen = run_watched(sc.pfx, rf"{setups['new']} /S /D=" + "C:\\")
    assert status == 2
    assert work_folders(seen), "refused before it made its working folder"
    assert work_folders_left(sc) == [], "left by a refusal"

    status, seen = run_watched(sc.pfx, rf"{setups['new']} /S /D={APP}")
    assert status == 0
    (files,) = work_folders(seen).values()
    support = {f"support/{n.lower()}" for n in SUPPORT_NAMES}
    assert {"preparejava.exe", *support} <= files, files
    assert elevated_files_outside(seen) == {}

    status, seen = run_watched(sc.pfx, rf'"{APP}\{UNINSTALL}" /S')
    assert status == 0
    assert uninstalled(sc.pfx, APP) == ([], {})
    (files,) = work_folders(seen).values()
    assert "preparejava.exe" in files
    assert elevated_files_outside(seen) == {}
    assert work_folders_left(sc) == []
