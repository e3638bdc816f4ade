"""The launcher's installation, runtimes with the java.exe stand-in, and the support files."""
import os
import shutil

from .product import EXE, SERVER_JARS, SUPPORT_DIR, SUPPORT_FILES

RECORDS = r"C:\records"  # the stand-ins write their records here, one file per name
TOOLS = r"C:\tools"  # the helpers that watch and drive the launcher from outside
RUNTIME_KEY = r"HKLM\SOFTWARE\JavaSoft\Java Runtime Environment"


def folder(pfx, win):
    pfx.unix(win).mkdir(parents=True, exist_ok=True)
    return pfx.unix(win)


def put_tools(pfx):
    for helper in ("msgbox.exe", "window_probe.exe"):
        shutil.copy(pfx.helpers / helper, folder(pfx, TOOLS))


def put_launcher(pfx, app, server=True):
    """The launcher in Windows folder `app`, with the server's SMSServer folder beside it (its
    jar files empty) unless `server` is false."""
    shutil.copy(pfx.build / EXE, folder(pfx, app))
    for jar in SERVER_JARS if server else ():
        folder(pfx, rf"{app}\SMSServer\lib")
        pfx.unix(rf"{app}\SMSServer\{jar}").touch()


def put_standin(pfx, win_dir, record, stay_ms=0, exit_code=0, name="java.exe", child_ms=0):
    """The stand-in as `name` in `win_dir`, writing record `record`, staying `stay_ms`, exiting
    with `exit_code`; starting a program that inherits its handles and stays `child_ms`."""
    shutil.copy(pfx.helpers / "java.exe", folder(pfx, win_dir) / name)
    folder(pfx, RECORDS)
    cfg = f"record={RECORDS}\\{record}.txt\r\nstay_ms={stay_ms}\r\nexit={exit_code}\r\n"
    (pfx.unix(win_dir) / "standin.cfg").write_text(cfg + f"child_ms={child_ms}\r\n")


def add_runtime(pfx, version, home=None, view=None):
    """A runtime's sub-key, with JavaHome `home` unless None, in `view` (the launcher's)."""
    pfx.reg_add(rf"{RUNTIME_KEY}\{version}", *(["JavaHome", home] * (home is not None)), view=view)


def put_runtime(pfx, version, home, record, stay_ms=0, exit_code=0, view=None, child_ms=0):
    r"""A runtime in `home` (bin, lib\ext) with the stand-in as bin\java.exe, as `version`."""
    folder(pfx, rf"{home}\lib\ext")
    put_standin(pfx, rf"{home}\bin", record, stay_ms, exit_code, child_ms=child_ms)
    add_runtime(pfx, version, home, view)


def put_support_files(pfx):
    """The support files the launcher copies, each with contents of its own."""
    for name in (f.rsplit("\\", 1)[1] for f in SUPPORT_FILES):
        data = f"support file {name}\n".encode() + os.urandom(2048)
        (folder(pfx, SUPPORT_DIR) / name).write_bytes(data)


def tree(pfx, win):
    """The files below Windows folder `win`: relative, lower case, / between folders."""
    top = pfx.unix(win)
    return sorted(str(p.relative_to(top)).lower() for p in top.rglob("*") if p.is_file())
