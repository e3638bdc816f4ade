"""The splash window: how it looks, when it hides, and what a close or a minimise does to it."""
import shutil
import time


from winesetup.configs import TIME_SCALE
from winesetup.install import put_runtime, put_standin, put_support_files
from winesetup.product import TEXT_COPY_ERROR
from winesetup.runs import answer_boxes, probe
from winesetup.scenario import ARTIFACTS, JRE6
from winesetup.splash import screenshot, splash_problems

FRAME = ("caption_bar", "sysmenu", "minbox", "maxbox", "thickframe", "taskbar", "visible")


def numbers(text):
    return [int(v) for v in text.split()]


def test_splash(sc, config):
    sc.launch()
    # The window shows before its picture is decoded and painted; the first paint
    # gets a moment before the screenshot.
    rc, out = probe(sc.pfx, "--sleep", "300")
    assert rc == 0, "no visible splash window"
    screenshot(shot := sc.work / "splash.png")
    rc, big = probe(sc.pfx, "--client", "600", "600", "--sleep", "300", timeout_ms=2000)
    assert rc == 0, "window gone before it could be enlarged"
    screenshot(big_shot := sc.work / "splash-enlarged.png")
    (ARTIFACTS / config.name).mkdir(parents=True, exist_ok=True)
    for kept in (shot, big_shot):
        shutil.copy(kept, ARTIFACTS / config.name)

    left, top, right, bottom = numbers(out["window"])
    screen_w, screen_h = numbers(out["screen"])
    assert (out["client"], out["dpi"]) == ("487 492", "96")
    assert abs(2 * left - (screen_w - right + left)) <= 2, "not centred across"
    assert abs(2 * top - (screen_h - bottom + top)) <= 2, "not centred down"
    frame = {bit: out[bit] for bit in FRAME + ("popup", "iconic", "zoomed")}
    assert frame == dict.fromkeys(FRAME, "1") | dict.fromkeys(("popup", "iconic", "zoomed"), "0")
    assert big["resized_client"] == "600 600"
    origins = numbers(out["client_origin"]), numbers(big["resized_client_origin"])
    assert splash_problems(shot, origins[0], big_shot, origins[1], (600, 600)) == []

    rc, hidden = probe(sc.pfx, "--any", "--wait-hidden", str(8000 * TIME_SCALE), timeout_ms=2000)
    assert rc == 0, "window not hidden within 8 s"
    # A 2000 ms timer started after the process was created cannot fire earlier.
    assert 1950 <= int(hidden["hidden_at_ms"]) <= 4000 * TIME_SCALE
    assert int(big["resized_ms_since_start"]) < int(hidden["hidden_at_ms"]), "screenshots late"


def test_minimised_splash(sc):
    put_support_files(sc.pfx)
    put_runtime(sc.pfx, "1.6.0_45", JRE6, "jre6")
    sc.launch()
    assert probe(sc.pfx, "--minimize", "--sleep", "300")[0] == 0, "no window to minimise"
    assert probe(sc.pfx, "--any", timeout_ms=2000)[1].get("iconic") == "1", "not minimised"
    rc, hidden = probe(sc.pfx, "--any", "--wait-hidden", str(8000 * TIME_SCALE), timeout_ms=2000)
    assert rc == 0 and 1950 <= int(hidden["hidden_at_ms"]) <= 4000 * TIME_SCALE
    sc.server("jre6")


def test_close_before_tick(sc):
    put_runtime(sc.pfx, "1.6.0_45", JRE6, "jre6")
    put_standin(sc.pfx, r"C:\windows", "windows")
    sc.launch()
    rc, out = probe(sc.pfx, "--sleep", "300", "--close")
    assert rc == 0, "no window to close"
    assert int(out["ms_since_start"]) < 1400, "test too slow: the window came late"
    sc.exit(0, 6)
    sc.no_box()
    sc.no_starts()


def test_close_under_box(sc):
    """A close posted to the hidden window while the sequence waits in its first box, after
    Timer1 has ticked again under it: the boxes still come, the server starts once, and then
    the launcher ends with status 0."""
    put_runtime(sc.pfx, "1.6.0_45", JRE6, "jre6")
    sc.launch()
    (first,) = answer_boxes(sc.pfx, "--leave")
    assert first["result"] == 0, "no message box to close under"
    assert first["text"] != TEXT_COPY_ERROR, "the copy's error came without its description"
    sc.sleep_until(5000)  # Timer1 ticks 2 s after the box came, under it
    assert probe(sc.pfx, "--any", "--close", timeout_ms=2000)[0] == 0, "no window to close"
    time.sleep(1)
    assert sc.launcher.wait(0) is None, "the close ended the launcher under its box"
    sc.no_starts("jre6")
    assert sc.box() == first["text"]
    sc.box(TEXT_COPY_ERROR)
    sc.server("jre6")
    sc.exit(0, 5)
