"""The installer under Wine: a stand-in payload, its builds, its silent and interactive runs, a
file held open, and what the installation and the uninstall leave in the folders, the registry,
the Start menu and the logs."""
import fcntl
import os
import re
import shutil
import subprocess
import time
from pathlib import Path

from .build import ROOT, build
from .install import folder, tree
from .prefix import REG
from .product import EXE, SERVER_JARS, SUPPORT_FILES

SETUP, UNINSTALL = "DovernProfessionalSMSServer-{}-setup.exe", "uninstall.exe"
VERSION, OLDER = "1.00", "0.90"
SETUP_DIR = r"C:\setup"
SETUP_CAPTION = "Dovern Professional SMS Server Setup"
UNINSTALL_KEY = (
    r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\DovernProfessionalSMSServer"
)
SUPPORT_NAMES = [f.rsplit("\\", 1)[1] for f in SUPPORT_FILES]
# What the installer lays in its folder besides the payload, lower case as tree() gives it.
OWN_FILES = [EXE.lower(), "preparejava.exe", "readme-windows.txt", "install.log", UNINSTALL,
             "shipped.sha256"]  # fmt: skip
REFUSED_LOG = "DovernProfessionalSMSServer-setup.log"  # in %TEMP%, of a run refused at once
LINKS = r"C:\ProgramData\Microsoft\Windows\Start Menu\Programs"
LAUNCHER_LINK, PREPARE_LINK = "Dovern Professional SMS Server", "Prepare Java for Dovern SMS Server"


def make_payload(path, tag, extra=()):
    """A stand-in for the vendor's payload in `path`: SMSServer with the server's files, each
    naming `tag`, and the files in `extra` (relative, Windows separators); GsmModemJar with the
    four support files. Answers `path`."""
    path = Path(path)
    for name in [*SERVER_JARS, r"conf\server.properties", *extra]:
        file = path / "SMSServer" / name.replace("\\", "/")
        file.parent.mkdir(parents=True, exist_ok=True)
        file.write_text(f"{name} of the server {tag}\n")
    (path / "GsmModemJar").mkdir(parents=True, exist_ok=True)
    for name in SUPPORT_NAMES:
        (path / "GsmModemJar" / name).write_bytes(f"support file {name}\n".encode() * 64)
    return path


def payload_tree(payload):
    """The files the installer lays from `payload` below its folder, as tree() gives them."""
    top = Path(payload)
    return sorted(str(p.relative_to(top)).lower() for p in (top / "SMSServer").rglob("*")
                  if p.is_file())  # fmt: skip


def build_installer(config, payload, out, version=None):
    """The installer for `config` (the product's x86 one, or an amd64 build of the same script
    for the x64 fallback) from `payload` into folder `out`; answers its path. `version` stands
    in for the version block's."""
    built = build(config.preset)
    target = ["-XTarget amd64-unicode"] if config.preset == "mingw64" else []
    env = {k: v for k, v in os.environ.items() if not k.startswith("SIGN")}
    env |= dict(INSTALLER_VERSION=version) if version else {}
    # One makensis at a time per build folder, whatever the number of workers.
    with open(built.with_suffix(".installer.lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        done = subprocess.run([ROOT / "tools" / "build_installer.sh", built, payload, out, *target],
                              env=env, capture_output=True, text=True)  # fmt: skip
    if done.returncode:
        raise RuntimeError(f"build_installer.sh failed:\n{done.stdout}{done.stderr}")
    return Path(done.stdout.splitlines()[-1])


def put_setup(pfx, setup):
    shutil.copy(setup, folder(pfx, SETUP_DIR))
    return rf"{SETUP_DIR}\{Path(setup).name}"


def setup_env(pfx):
    """The environment of the installer's runs: winemenubuilder turns each new shortcut into a
    Linux menu entry and keeps the installer waiting about 10 s for it; Windows has nothing of the
    kind."""
    return dict(WINEDLLOVERRIDES=pfx.env["WINEDLLOVERRIDES"] + ";winemenubuilder.exe=d")


def run_line(pfx, line, timeout=60):
    """Runs the Windows command line `line` exactly as given, through cmd's expansion of a
    variable (wine itself would quote arguments with blanks anew, and NSIS takes /D= and _?=
    unquoted); answers its exit status."""
    env = setup_env(pfx) | dict(RUN_LINE=line)
    return pfx.run("cmd", "/c", "%RUN_LINE%", timeout=timeout, check=False, env=env)[0]


def uninstall_entry(pfx):
    """The installer's values in Programs and Features (32-bit view), {} when there is none: read
    from an export, UTF-16, since reg query writes them in the console's code page. Strings as
    they are, numbers as ints."""
    exported = pfx.unix(rf"{SETUP_DIR}\entry.reg")
    exported.unlink(missing_ok=True)
    folder(pfx, SETUP_DIR)
    status = pfx.run(REG, "export", UNINSTALL_KEY, rf"{SETUP_DIR}\entry.reg", "/reg:32", "/y",
                     check=False)[0]  # fmt: skip
    values = {}
    for line in exported.read_text("utf-16").splitlines() if status == 0 else ():
        if m := re.fullmatch(r'"(\w+)"="(.*)"', line):
            values[m[1]] = re.sub(r"\\(.)", r"\1", m[2])
        elif m := re.fullmatch(r'"(\w+)"=dword:([0-9a-f]{8})', line):
            values[m[1]] = int(m[2], 16)
    return values


def left_for_restart(pfx):
    """What Windows deletes at the next restart (MoveFileEx's PendingFileRenameOperations), as
    reg query prints it (ASCII paths only), lower case."""
    status, out = pfx.run(REG, "query", r"HKLM\System\CurrentControlSet\Control\Session Manager",
                          "/v", "PendingFileRenameOperations", check=False)  # fmt: skip
    return out.lower() if status == 0 else ""


def uninstalled(pfx, app):
    """What an uninstall left below `app` as it returned, as tree() gives it, and the entry: its
    running uninstall.exe, which Windows lets it move out of the folder (Wine neither moves nor
    deletes it), counts as gone when it goes at the next restart."""
    left = tree(pfx, app)
    if UNINSTALL in left and rf"{app}\{UNINSTALL}".lower() in left_for_restart(pfx):
        left.remove(UNINSTALL)
    return left, uninstall_entry(pfx)


def refused_log(pfx):
    """The log in %TEMP% of the runs refused before they touched anything, "" when there is
    none."""
    users = pfx.unix(r"C:\users")
    found = [
        *users.glob(f"*/Temp/{REFUSED_LOG}"),
        *users.glob(f"*/AppData/Local/Temp/{REFUSED_LOG}"),
    ]
    return found[0].read_text("utf-16").replace("\r", "") if found else ""


def hold(pfx, win_file):
    """Holds `win_file` open without sharing, as a running program or an antivirus would, until
    the answered function is called."""
    shutil.copy(pfx.helpers / "hold_file.exe", folder(pfx, SETUP_DIR))
    flag = rf"{SETUP_DIR}\release"
    proc = pfx.popen(rf"{SETUP_DIR}\hold_file.exe", win_file, flag)
    deadline = time.monotonic() + 20
    while not pfx.unix(flag + ".held").exists():
        assert proc.poll() is None, f"hold_file.exe ended with {proc.returncode}"
        assert time.monotonic() < deadline, f"{win_file} not held"
        time.sleep(0.1)

    def release():
        pfx.unix(flag).touch()
        assert proc.wait(10) == 0, "hold_file.exe did not let go"

    return release


def shortcut_target(pfx, name):
    """The target of Start-menu shortcut `name` for all users: the local path in its LinkInfo
    (ANSI), or None when there is no such shortcut."""
    path = pfx.unix(rf"{LINKS}\{name}.lnk")
    if not path.is_file():
        return None
    data = path.read_bytes()
    flags, pos = int.from_bytes(data[0x14:0x18], "little"), 0x4C
    if flags & 1:  # a target ID list comes first
        pos += 2 + int.from_bytes(data[pos : pos + 2], "little")
    assert flags & 2, f"{name}.lnk has no LinkInfo"
    base = pos + int.from_bytes(data[pos + 16 : pos + 20], "little")
    return data[base : data.index(b"\0", base)].decode("cp1252")


def install_log(pfx, app):
    """install.log of the installation in `app` (UTF-16 with its byte-order mark), CRs dropped."""
    return pfx.unix(rf"{app}\install.log").read_text("utf-16").replace("\r", "")


def snapshot(pfx, *folders):
    """Every file below `folders` with its bytes and time, and the uninstall entry: whatever an
    installer or uninstaller changes, changes this."""
    files = {}
    for win in folders:
        top = pfx.unix(win)
        for p in sorted(top.rglob("*")) if top.exists() else ():
            files[str(p)] = (p.stat().st_mtime_ns, p.read_bytes() if p.is_file() else None)
    return files, uninstall_entry(pfx)


WORK_PARENT = r"C:\windows\temp"  # where Setup and the uninstaller make their working folders


def run_watched(pfx, line, timeout=60):
    """Runs Windows command line `line` as run_line does, looking every few milliseconds at the
    folders below the working folders' parent and the user's %TEMP%; answers its exit status and
    {folder: every file seen in it, lower case, relative}."""
    env = setup_env(pfx) | dict(RUN_LINE=line)
    proc = pfx.popen("cmd", "/c", "%RUN_LINE%", env=env)
    tops = [pfx.unix(WORK_PARENT), *pfx.unix(r"C:\users").glob("*/Temp")]
    seen, deadline = {}, time.monotonic() + timeout
    try:
        while proc.poll() is None:
            assert time.monotonic() < deadline, f"{line} still runs after {timeout} s"
            for top in tops:
                for d in (p for p in top.iterdir() if p.is_dir()) if top.is_dir() else ():
                    try:
                        files = {str(f.relative_to(d)).lower() for f in d.rglob("*") if f.is_file()}
                    except FileNotFoundError:  # gone while it was read
                        continue
                    name = str(d.relative_to(pfx.unix("C:\\"))).lower()
                    seen.setdefault(name, set()).update(files)
            time.sleep(0.003)
    finally:
        proc.kill()
    return proc.returncode, seen
