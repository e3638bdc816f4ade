"""DLLs only from the system folder: DLLs planted beside the launcher under the names of ones its
process loads after its entry point (the theme library with the window, the picture's decoder)
are not loaded; a program that leaves the search as it is loads them from the same folder."""
import shutil

import pytest

from winesetup.install import RECORDS, folder, put_runtime, put_support_files
from winesetup.product import EXE
from winesetup.scenario import APP, JRE6

PLANTED = ("uxtheme", "oleaut32")
# Wine loads its own builtin DLLs unless told to prefer the ones it finds.
NATIVE_FIRST = dict(WINEDLLOVERRIDES=f"mscoree,mshtml=;{','.join(PLANTED)}=n,b")


def loaded_by(sc, exe):
    """The planted DLLs that the process `exe` loaded, by the markers they left."""
    return sorted(
        d for d in PLANTED if sc.pfx.unix(rf"{RECORDS}\planted-{d}.dll-{exe}.txt").exists()
    )


@pytest.mark.pe32
def test_planted_dlls_are_not_loaded(sc):
    put_support_files(sc.pfx)
    put_runtime(sc.pfx, "1.6.0_45", JRE6, "jre6")
    folder(sc.pfx, RECORDS)
    for name in PLANTED:
        shutil.copy(sc.pfx.helpers / "planted.dll", sc.pfx.unix(rf"{APP}\{name}.dll"))
    shutil.copy(sc.pfx.helpers / "load_library.exe", sc.pfx.unix(APP))
    sc.pfx.run(rf"{APP}\load_library.exe", "oleaut32.dll", env=NATIVE_FIRST, check=False)
    assert loaded_by(sc, "load_library.exe") == sorted(PLANTED), "the plant is not found at all"
    sc.launch(env=NATIVE_FIRST)
    sc.server("jre6")
    assert loaded_by(sc, EXE) == []
