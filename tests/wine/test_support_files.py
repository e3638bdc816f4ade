"""The support files: copied into the runtime where missing, never over what is there."""
from winesetup.install import put_runtime, put_support_files
from winesetup.product import TEXT_COPY_ERROR
from winesetup.scenario import COPIED_FILES, JRE6, RUNTIME_FILES


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
