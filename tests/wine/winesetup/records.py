"""The stand-ins' records: each start of a runtime as the started program saw it."""
import time

from .configs import TIME_SCALE
from .install import RECORDS
from .product import MAIN_CLASS, class_path, server_cmdline


def starts(pfx, name):
    """The complete starts in record `name`, in order, each a dict of its values; numbers for
    the keys ending in _ms (started_ms, ended_ms: ms since 1970), argc, flags, show, console_*."""
    path, found, start = pfx.unix(rf"{RECORDS}\{name}.txt"), [], None
    for line in path.read_text("utf-8", "replace").splitlines() if path.exists() else ():
        key, _, value = line.partition("=")
        if line == "begin":
            start = {}
        elif line == "end" and start is not None:
            found, start = found + [start], None
        elif value and (start is not None or found):  # ended_ms comes after the end
            numeric = key.endswith("_ms") or key in ("argc", "flags", "show") or "console" in key
            (found[-1] if start is None else start)[key] = int(value) if numeric else value
    return found


def all_starts(pfx):
    """Every record's starts, by record name."""
    return {p.stem: starts(pfx, p.stem) for p in pfx.unix(RECORDS).glob("*.txt")}


def wait_starts(pfx, name, secs, every=0.1):
    """The starts of record `name` once there is one, looking every `every` s for up to `secs`;
    [] if none came."""
    deadline = time.monotonic() + secs * TIME_SCALE
    while not (found := starts(pfx, name)) and time.monotonic() < deadline:
        time.sleep(every)
    return found


def start_problems(found, app, home):
    """What is wrong with the server's starts `found`, for the launcher's folder `app` and the
    runtime `home` ("": java by the program search): [] for one start with the exact command
    line and arguments, in `app`, hidden, without a console window."""
    if len(found) != 1:
        return [f"server started {len(found)} times, expected once"]
    want = dict(cmdline=server_cmdline(app, home), cwd=app, show=0, console_window=0, argc=4,
                argv0=rf"{home}\bin\java.exe" if home else "java", argv1="-classpath",
                argv2=class_path(app), argv3=MAIN_CLASS)  # fmt: skip
    problems = [f"{k} [{found[0].get(k)}], expected [{v}]" for k, v in want.items()
                if found[0].get(k) != v]  # fmt: skip
    return problems + ["STARTF_USESHOWWINDOW not set"] * (not found[0].get("flags", 0) & 1)
