"""PrepareJava.exe's text output: an argument error is answered on standard output with
status 64, never in a box that nobody would see under Setup."""
from winesetup.prepare import put_prepare_java, run_prepare_java
from winesetup.scenario import APP


def test_bad_argument_with_log_exits_64_without_a_box(sc):
    put_prepare_java(sc.pfx, APP)
    status, output = run_prepare_java(sc.pfx, APP, "/log", "/bogus")
    assert status == 64, f"status {status} (None: still running, a box?)"
    assert output.startswith("Usage: PrepareJava.exe"), output
