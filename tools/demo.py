"""Demo: builds the launcher and its installer, installs it with the installer from a stand-in
payload in a fresh Wine prefix, starts the launcher from the installed Start-menu shortcut's target
and prints what happens in order. The server is the java.exe stand-in of tests/wine, registered as
runtime 1.6.0_45 before the install; it stays about 5 s, and the launcher ends at its first watch
tick about 32 s after the start. Uses Xvfb when there is no DISPLAY.

usage: tools/demo.py [win32|wow64|x64]
  The configuration; by default what most users have, 64-bit Windows: the PE32 and its installer
  in a 64-bit prefix (wow64), installed under C:\\Program Files (x86), the runtime there too and in
  the registry's 32-bit view. A host that cannot execute 32-bit code runs the x86-64 fallback (and
  an amd64 build of the installer's script)."""
import os
import shutil
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "wine"))
from winesetup import build, configs, display, install, installer, prefix, records  # noqa: E402
from winesetup import runs  # noqa: E402
from winesetup.product import CAPTION, EXE, SUPPORT_DIR, SUPPORT_FILES  # noqa: E402
from winesetup.splash import screenshot  # noqa: E402


def demo(config, pfx, work, out, problem):
    home = rf"{config.program_files}\Java\jre6"
    install.put_tools(pfx)
    install.put_runtime(pfx, "1.6.0_45", home, "server", stay_ms=5000)
    # Read back where a 64-bit program sees it: under Wow6432Node on 64-bit Windows.
    key = rf"{install.RUNTIME_KEY}\1.6.0_45"
    if config.other_view:
        key = key.replace("SOFTWARE", r"SOFTWARE\Wow6432Node")
    view = filter(None, [config.other_view])
    value = pfx.run(prefix.REG, "query", key, "/v", "JavaHome", *view)[1]
    print(
        f"demo: runtime 1.6.0_45 registered at {key}, JavaHome {value.split('REG_SZ')[-1].strip()}"
    )
    payload = installer.make_payload(work / "payload", installer.VERSION)
    setup = installer.put_setup(pfx, installer.build_installer(config, payload, work))
    print("demo: the installer, built from a stand-in payload (SMSServer, GsmModemJar), silently:")
    print(f"     {setup} /S")
    started = time.monotonic()
    status = installer.run_line(pfx, f"{setup} /S")
    print(
        f"demo: the installer ended with status {status} after {time.monotonic() - started:.1f} s"
    )
    entry = installer.uninstall_entry(pfx)
    app = entry.get("InstallLocation", "")
    if status or not app:
        return problem(f"installer status {status}, uninstall entry {entry}")
    print(f"demo: Programs and Features: {entry['DisplayName']} {entry['DisplayVersion']},"
          f" {entry['Publisher']}, in {app}")  # fmt: skip
    print("demo: its install.log:\n     " + "\n     ".join(
        installer.install_log(pfx, app).splitlines()))  # fmt: skip
    target = installer.shortcut_target(pfx, installer.LAUNCHER_LINK)
    if target != rf"{app}\{EXE}":
        return problem(f"the Start-menu shortcut points to {target}")
    print(f"demo: starting the Start-menu shortcut's target {target}")
    launcher = runs.Launch(pfx, target.rsplit("\\", 1)[0], work)
    rc, window = runs.probe(pfx)
    if rc:
        problem("no splash window within 10 s")
    else:
        print(
            f'1. splash shown: "{CAPTION}", window rect (left top right bottom) {window["window"]},'
            f" client {window['client'].replace(' ', 'x')}, at {launcher.ms() / 1000:.1f} s"
        )
        screenshot(out / "splash.png")
        print(f"2. screenshot saved to {out / 'splash.png'}")
    started = records.wait_starts(pfx, "server", 15) or problem(
        "the server was not started within 15 s"
    )
    print("3. support files in the runtime, copied by PrepareJava.exe during the install:")
    for f in SUPPORT_FILES:
        source, copy = pfx.unix(rf"{SUPPORT_DIR}\{f.rsplit(chr(92), 1)[1]}"), pfx.unix(
            rf"{home}\{f}"
        )
        if copy.is_file() and copy.read_bytes() == source.read_bytes():
            print(f"     {SUPPORT_DIR}\\{source.name} -> {home}\\{f}")
        else:
            problem(f"{home}\\{f} was not copied")
    if started:
        print(f"4. the server received this command line:\n     {started[0]['cmdline']}")
        print(f"5. its working directory: {started[0]['cwd']}")
        for text in records.start_problems(started, app, home):
            problem(text)
        if not records.start_problems(started, app, home):
            print("6. it started once, hidden and without a console window, with the expected"
                  " command line")  # fmt: skip
    print("demo: the server stand-in stays 5 s; the launcher checks on it every 30 s...")
    status = launcher.wait(45)
    if status is None:
        return problem("the launcher still runs after 45 s")
    print(f"7. the launcher ended with exit status {status} after {launcher.ms() / 1000:.1f} s")
    if status:
        problem(f"exit status {status}, expected 0")


def main(name):
    sys.stdout.reconfigure(line_buffering=True)
    config = configs.CONFIGS[name or ("wow64" if configs.host_runs_pe32() else "x64")]
    problems = []
    print(f"demo: configuration {config.name}: {config.about}")
    if not name and config.name == "x64":
        print("demo: this host cannot execute 32-bit code, so not the PE32")
    print(f"building preset {config.preset} in build/{config.preset}")
    built, out = build.build(config.preset), build.ROOT / "build" / "demo"
    out.mkdir(parents=True, exist_ok=True)
    work, xvfb, pfx = Path(tempfile.mkdtemp(prefix="dovern-demo.")), None, None
    try:
        print(f"demo: making a fresh Wine prefix ({config.env['WINEARCH']})")
        if not os.environ.get("DISPLAY"):
            xvfb, os.environ["DISPLAY"] = display.start_xvfb(work / "xvfb.log")
            print(f"demo: running under Xvfb on {os.environ['DISPLAY']}")
        pfx = prefix.make_template(work / "prefix", config, built)
        pfx.server("-p30")
        demo(config, pfx, work, out, lambda text: problems.append(print(f"demo: PROBLEM: {text}")))
    finally:
        if pfx:
            pfx.stop()
        if xvfb:
            xvfb.terminate()
        shutil.rmtree(work, ignore_errors=True)
    print(f"demo: {len(problems)} problem(s)" if problems else "demo: done")
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) > 2 or sys.argv[1:] and sys.argv[1] not in configs.CONFIGS:
        sys.exit(__doc__.split("\n\n")[1])
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else ""))
