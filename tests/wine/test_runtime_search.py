"""Which runtime the launcher starts, and what it says when it finds none it can use."""
import pytest

from winesetup.install import RUNTIME_KEY, add_runtime, put_runtime, put_standin
from winesetup.install import put_support_files
from winesetup.product import TEXT_NO_RUNTIME, TEXT_NO_VERSION, TEXT_SEARCH_ERROR
from winesetup.scenario import RUNTIME_FILES

# Whatever a scenario registers, "java" through the program search finds this stand-in, so
# that a start from the wrong place is recorded as well.
PATH_JAVA = r"C:\windows"


def test_first_suitable_and_watch(sc):
    """The first runtime of 1.5 or later in the registry's order; the launcher outlives its
    server until the watch's first tick, then ends with status 0."""
    put_support_files(sc.pfx)
    put_runtime(sc.pfx, "1.8", r"C:\Java\jre18", "jre18")
    put_runtime(sc.pfx, "1.4", r"C:\Java\jre14", "jre14")
    put_runtime(sc.pfx, "1.6", r"C:\Java\jre16", "jre16", stay_ms=3000)
    put_standin(sc.pfx, PATH_JAVA, "windows")
    sc.launch()
    sc.server("jre16", home=r"C:\Java\jre16")
    sc.no_starts("jre14", "jre18", "windows")
    sc.sleep_until(25000)
    assert sc.launcher.wait(0) is None, "launcher ended before the first watch tick"
    sc.exit(0, 12)
    assert 30000 <= sc.launcher.end_ms <= 35000


def no_key(pfx):
    pass


def old_versions_only(pfx):
    put_runtime(pfx, "1.4", r"C:\Java\jre14", "jre14")
    put_runtime(pfx, "1.4.2_19", r"C:\Java\jre142", "jre142")


def key_without_subkeys(pfx):
    pfx.reg_add(RUNTIME_KEY, "CurrentVersion", "1.6")


@pytest.mark.parametrize(
    "lay_out, text",
    [
        (no_key, TEXT_NO_RUNTIME),
        (old_versions_only, TEXT_NO_VERSION),
        (key_without_subkeys, TEXT_NO_VERSION),
    ],
    ids=["no-runtime-key", "only-old-versions", "runtime-key-without-subkeys"],
)
def test_refusal(sc, lay_out, text):
    put_standin(sc.pfx, PATH_JAVA, "windows")
    lay_out(sc.pfx)
    sc.launch()
    sc.refusal(text)


def test_missing_javahome(sc):
    put_standin(sc.pfx, PATH_JAVA, "windows")
    add_runtime(sc.pfx, "1.6.0_45")
    sc.launch()
    sc.box("Unsupported value type")
    sc.box(TEXT_SEARCH_ERROR)
    assert len(sc.server("windows", home="")["cmdline"]) == 508


def test_letter_subkey(sc):
    put_runtime(sc.pfx, "1.4", r"C:\Java\jre14", "jre14")
    put_runtime(sc.pfx, "Latest", r"C:\Java\latest", "latest")
    put_standin(sc.pfx, PATH_JAVA, "windows")
    sc.launch()
    sc.box("Type mismatch")
    sc.box(TEXT_SEARCH_ERROR)
    sc.server("windows", home="")
    sc.no_starts("jre14", "latest")


@pytest.mark.pe32
@pytest.mark.only("wow64")
def test_runtime_only_in_64bit_view(sc, config):
    """A runtime registered only in the 64-bit view is invisible to the 32-bit launcher, which
    reports that none is installed."""
    home = r"C:\Program Files\Java\jre1.8.0_202"
    put_support_files(sc.pfx)
    put_runtime(sc.pfx, "1.8", home, "jre64", view=config.other_view)
    put_standin(sc.pfx, PATH_JAVA, "windows")
    sc.launch()
    sc.refusal(TEXT_NO_RUNTIME)
    assert sc.tree(home) == RUNTIME_FILES
