"""Wine prefixes: a template per configuration, and per-test copies sharing its system folders."""
import os
import shutil
import subprocess
import tempfile
from pathlib import Path

from .configs import TIME_SCALE

SYSTEM_FOLDERS = ("drive_c/windows/system32", "drive_c/windows/syswow64")
# By its path: "reg" alone goes through start.exe, whose ShellExecuteEx now and then fails.
REG = r"C:\windows\system32\reg.exe"


def text_of(file):
    """What a Windows program wrote into `file` (open, text), its CRs dropped."""
    file.seek(0)
    return file.read().replace("\r", "")


class Prefix:
    """A prefix of configuration `config`, running the programs of build folder `build`."""

    def __init__(self, path, config, build):
        self.path, self.config, self.build = Path(path), config, Path(build)
        self.helpers = self.build / "tests" / "wine"
        self.env = {k: v for k, v in os.environ.items() if k != "WINELOADER"}
        # No Mono or Gecko prompts.
        self.env |= config.env | dict(WINEPREFIX=str(path), WINEDEBUG="-all")
        self.env |= dict(WINEDLLOVERRIDES="mscoree,mshtml=")

    def unix(self, win):
        r"""The file that Windows path C:\... names in this prefix."""
        return self.path / "drive_c" / win[3:].replace("\\", "/")

    def popen(self, *args, env=None, **kw):
        """Starts a Windows program in the background, with `env` on top of the prefix's."""
        env = self.env | (env or {})
        return subprocess.Popen([self.config.wine, *args], env=env, stdin=subprocess.DEVNULL, **kw)

    def run(self, *args, timeout=60, check=True, env=None):
        """Runs a Windows program; answers its exit status and output. The output goes through a
        file, since the processes it starts (the desktop, services) may keep a pipe open."""
        with tempfile.TemporaryFile("w+", encoding="utf-8", errors="replace") as out:
            proc = self.popen(*args, env=env, stdout=out, stderr=out)
            try:
                proc.wait(timeout * TIME_SCALE)
            finally:
                proc.kill()
            if check and proc.returncode:
                raise RuntimeError(f"{args} ended with {proc.returncode}: {text_of(out)}")
            return proc.returncode, text_of(out)

    def server(self, *args):
        subprocess.run(["wineserver", *args], env=self.env, timeout=30, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)  # fmt: skip

    def reg_add(self, key, value=None, data="", kind="REG_SZ", view=None):
        """Writes `key`, and its value when given, in registry view `view`: the launcher's
        unless given, none when "" (under HKCU)."""
        value = ["/v", value, "/t", kind, "/d", data] if value else []
        view = self.config.view if view is None else view
        self.run(REG, "add", key, *value, "/f", *filter(None, [view]))

    def stop(self):
        """Ends every Windows process of the prefix."""
        self.server("-k")
        self.server("-w")


def make_template(path, config, build):
    """A fresh prefix with fonts, an unmanaged X11 driver and no crash dialog."""
    pfx = Prefix(path, config, build)
    pfx.path.parent.mkdir(parents=True, exist_ok=True)
    base = Path(os.environ.get("WL_PREFIX_BASE", "/nonexistent"), config.env["WINEARCH"])
    if base.is_dir():  # made once per image in the emulated machine, where wineboot takes minutes
        copy_prefix(Prefix(base, config, build), path)
    else:
        pfx.run("wineboot", "-i", timeout=180, check=False)
    # Debian's Wine does not find its own fonts; without them captions and boxes render wrong.
    pfx.unix(r"C:\windows\Fonts").mkdir(exist_ok=True)
    for ttf in Path("/usr/share/wine/fonts").glob("*.ttf"):
        shutil.copy(ttf, pfx.unix(r"C:\windows\Fonts"))
    # No window manager under Xvfb: unmanaged windows keep their geometry, hiding does not stall.
    pfx.reg_add(r"HKCU\Software\Wine\X11 Driver", "Managed", "N", view="")
    # A crash ends the program with Wine's report instead of waiting in a dialog.
    pfx.reg_add(r"HKCU\Software\Wine\WineDbg", "ShowCrashDialog", "0", "REG_DWORD", view="")
    pfx.server("-w")  # the registry is on disk before the prefix is copied
    if not (pfx.path / "system.reg").is_file():
        raise RuntimeError(f"wineboot did not make a prefix at {path}")
    return pfx


def copy_prefix(template, path):
    """A copy of `template` at `path`. The system folders, over a gigabyte of DLLs in a 64-bit
    prefix that nothing here writes, are hard-linked; everything else is copied."""
    system = [template.path / d for d in SYSTEM_FOLDERS]
    shutil.copytree(template.path, path, symlinks=True, ignore=lambda d, names: [
        n for n in names if Path(d, n) in system])  # fmt: skip
    for d in (d for d in SYSTEM_FOLDERS if (template.path / d).is_dir()):
        shutil.copytree(template.path / d, Path(path, d), symlinks=True, copy_function=os.link)
    return Prefix(path, template.config, template.build)


def written_system_files(template):
    """Files of the template's system folders written after it was saved: a copy sharing them
    wrote into them in place."""
    saved = (template.path / "system.reg").stat().st_mtime
    return [str(Path(d, f)) for folder in SYSTEM_FOLDERS for d, _, files in
            os.walk(template.path / folder) for f in files
            if os.lstat(Path(d, f)).st_mtime > saved]  # fmt: skip
