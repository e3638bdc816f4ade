"""The launcher's runs, and the helpers that answer its boxes and act on its window."""
import re
import tempfile
import time
from pathlib import Path

from .configs import TIME_SCALE
from .install import TOOLS
from .product import CAPTION, EXE


class Launch:
    """The launcher of Windows folder `app`, started in the background from Unix folder `cwd`
    with `env` on top of the prefix's environment, its output in a log in `cwd`."""

    def __init__(self, pfx, app, cwd, env=None):
        self.started, self.end_ms = time.time(), None  # end_ms: when wait() saw the end
        with tempfile.NamedTemporaryFile("w", suffix=".log", dir=cwd, delete=False) as log:
            self.log = log.name
            # Wine's own errors stay in the log: a launcher that Wine could not give a window or
            # a start ends with nothing else to tell why.
            env = dict(WINEDEBUG="-all,err+all") | (env or {})
            self.proc = pfx.popen(rf"{app}\{EXE}", env=env, cwd=cwd, stdout=log, stderr=log)

    def ms(self, unix_ms=None):
        """Milliseconds from the start to `unix_ms` (since 1970), or to now."""
        return round((unix_ms or time.time() * 1000) - self.started * 1000)

    def wait(self, secs):
        """The exit status once it has ended, waiting up to `secs`; None while it runs."""
        deadline = time.monotonic() + secs * TIME_SCALE
        while self.proc.poll() is None and time.monotonic() < deadline:
            time.sleep(0.05)
        if self.end_ms is None and self.proc.returncode is not None:
            self.end_ms = self.ms()
        return self.proc.returncode

    def crash(self):
        """Wine's report of a crash in the launcher's output, or ""."""
        found = re.search(r".*(Unhandled|starting debugger).*", Path(self.log).read_text("latin-1"))
        return found[0] if found else ""


def blocks(out, first):
    """key=value lines as dicts, a new one at each key `first`."""
    found = []
    for key, _, value in (line.partition("=") for line in out.splitlines() if "=" in line):
        if key == first or not found:
            found.append({})
        found[-1][key] = value
    return found


CODES = {"r": "\r", "n": "\n", "t": "\t", "\\": "\\"}


def unescape(text):
    return re.sub(r"\\(x..|.)", lambda m: CODES.get(m[1]) or chr(int(m[1][1:], 16)), text)


def box_reports(out):
    """msgbox.exe's reports, one per box, with text and caption unescaped and result an int."""
    found = blocks(out, "found")
    for box in found:
        box |= dict(text=unescape(box.get("text", "")), caption=unescape(box.get("caption", "")))
        box["result"] = int(box.get("result", -1))
    return found


def answer_boxes(pfx, *args, timeout_ms=10000):
    """Runs msgbox.exe with `args` (see msgbox.cpp); answers its reports."""
    timeout_ms = round(timeout_ms * TIME_SCALE)
    return box_reports(pfx.run(rf"{TOOLS}\msgbox.exe", "--timeout", str(timeout_ms), *args,
                               check=False)[1])  # fmt: skip


def probe(pfx, *args, timeout_ms=10000, caption=CAPTION):
    """Runs window_probe.exe on the window `caption` with `args` (see window_probe.cpp); answers
    its exit status and its key=value lines as one dict."""
    timeout_ms = round(timeout_ms * TIME_SCALE)
    rc, out = pfx.run(rf"{TOOLS}\window_probe.exe", "--timeout", str(timeout_ms), *args, caption,
                      check=False)  # fmt: skip
    return rc, dict(line.partition("=")[::2] for line in out.splitlines())
