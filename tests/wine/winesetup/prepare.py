"""PrepareJava.exe beside the launcher, run with its output read as the installer reads it."""
import shutil
import subprocess
import tempfile

from .install import TOOLS, folder

PREPARE = "PrepareJava.exe"
CMD = r"C:\windows\system32\cmd.exe"


def put_prepare_java(pfx, app):
    shutil.copy(pfx.build / PREPARE, folder(pfx, app))


def run_prepare_java(pfx, app, *args, secs=30):
    """Runs it with `args`; answers its exit status and its output (UTF-16). A box, which
    nobody answers here, would keep it running past `secs`."""
    with tempfile.TemporaryFile() as out:
        proc = pfx.popen(rf"{app}\{PREPARE}", *args, stdout=out, stderr=subprocess.DEVNULL)
        try:
            proc.wait(secs)
        finally:
            proc.kill()
        out.seek(0)
        return proc.returncode, out.read().decode("utf-16-le", errors="replace")


def run_prepare_java_line(pfx, app, arguments, secs=30):
    """Runs it from a batch file with `arguments` exactly as written there, as Setup's command
    line passes them (Wine re-quotes the arguments it is given itself); answers its exit status
    and output."""
    script, report = rf"{TOOLS}\prepare.cmd", rf"{TOOLS}\prepare.out"
    # The redirection first: the command line ends as Setup's does.
    line = rf'> "{report}" "{app}\{PREPARE}" {arguments}'
    folder(pfx, TOOLS)
    pfx.unix(script).write_text(f"@{line}\r\n@exit /b %errorlevel%\r\n")
    status, _ = pfx.run(CMD, "/c", script, timeout=secs, check=False)
    return status, pfx.unix(report).read_bytes().decode("utf-16-le", errors="replace")
