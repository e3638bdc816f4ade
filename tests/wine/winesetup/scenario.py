"""A scenario: a copy of the template prefix with the launcher installed, and shared checks."""
import shutil
import time
from pathlib import Path

from .build import ROOT
from .install import RECORDS, put_launcher, put_tools, tree
from .prefix import copy_prefix
from .product import CAPTION, SUPPORT_DIR, SUPPORT_FILES
from .records import all_starts, start_problems, wait_starts
from .runs import Launch, answer_boxes, probe

APP, JRE6 = r"C:\Apps\Server", r"C:\Java\jre6"
ARTIFACTS = ROOT / "build" / "wine-artifacts"
RUNTIME_FILES = ["bin/java.exe", "bin/standin.cfg"]  # what put_runtime lays out
COPIED_FILES = [f.replace("\\", "/").lower() for f in SUPPORT_FILES]


class Scenario:
    def __init__(self, template, work):
        self.work, self.launches = Path(work), []
        self.pfx = copy_prefix(template, self.work / "pfx")

    def start(self):
        self.pfx.server("-p30")  # warm: every later Windows program starts in 0.1 s
        put_tools(self.pfx)
        put_launcher(self.pfx, APP)
        # Starts the desktop process, so that the launcher's first window is not late.
        probe(self.pfx, timeout_ms=0, caption="warm-up")

    def keep(self, kept):
        """Keeps the scenario's files (but its prefix) and the stand-ins' records in `kept`."""
        shutil.rmtree(kept, ignore_errors=True)
        shutil.copytree(self.work, kept, ignore=shutil.ignore_patterns("pfx"))
        if self.pfx.unix(RECORDS).is_dir():
            shutil.copytree(self.pfx.unix(RECORDS), kept / "records")
        return kept

    def remove(self):
        shutil.rmtree(self.work, ignore_errors=True)

    def launch(self, app=APP, env=None):
        self.launches.append(Launch(self.pfx, app, self.work, env))
        return self.launches[-1]

    @property
    def launcher(self):
        return self.launches[-1]

    def sleep_until(self, ms):
        time.sleep(max(0, ms - self.launcher.ms()) / 1000)

    def box(self, text=None, timeout_ms=10000):
        """Answers the next box, OK-only without icon with the launcher's caption and `text`
        when given; answers its text."""
        (box,) = answer_boxes(self.pfx, timeout_ms=timeout_ms)
        assert box["result"] != 2, f"no message box came (expected {text!r})"
        assert box["result"] == 0 and box["caption"] == CAPTION, box
        assert text is None or box["text"] == text
        return box["text"]

    def no_box(self, timeout_ms=500):
        assert answer_boxes(self.pfx, timeout_ms=timeout_ms)[0]["result"] == 2, "a message box"

    def exit(self, status, secs):
        got = self.launcher.wait(secs)
        assert got == status, f"launcher exit status {got} (None: runs) at {self.launcher.ms()} ms"

    def no_starts(self, *names):
        """No stand-in started, or none of `names`."""
        started = [n for n, s in all_starts(self.pfx).items() if s and (not names or n in names)]
        assert started == [], "stand-ins started"

    def refusal(self, text):
        """The box `text`, then the launcher's end with status 1 and no server."""
        self.box(text)
        self.exit(1, 5)
        self.no_starts()

    def server(self, record, app=APP, home=JRE6, secs=12):
        """Stand-in `record` started, within `secs`, as the server of the launcher in `app` with
        the runtime in `home`; answers that start."""
        found = wait_starts(self.pfx, record, secs)
        assert found, f"stand-in {record} not started within {secs} s"
        assert start_problems(found, app, home) == []
        return found[0]

    def copied(self, home, files=SUPPORT_FILES):
        """`files` are in runtime `home`, equal to their sources."""
        for f in files:
            source = self.pfx.unix(rf"{SUPPORT_DIR}\{f.rsplit(chr(92), 1)[1]}")
            copy = self.pfx.unix(rf"{home}\{f}")
            assert copy.is_file() and copy.read_bytes() == source.read_bytes(), f"{f} not copied"

    def tree(self, win):
        return tree(self.pfx, win)
