"""The installer's part of the benchmark (tools/benchmark.py): silent Setup and its documented
silent uninstall (uninstall.exe /S, which returns when done) against tests/bench/bench_setup.nsi,
a bare script of the same width that lays the same files and whose uninstaller runs in place
(_?=) and so returns when done. Runs alternate, each into a folder of its own; wall time of each
run on a warm wineserver."""
import statistics
import subprocess
import sys
import threading
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "wine"))
from winesetup.build import ROOT  # noqa: E402
from winesetup.installer import VERSION, build_installer, make_payload  # noqa: E402
from winesetup.installer import setup_env  # noqa: E402

FLOOR = ROOT / "tests" / "bench" / "bench_setup.nsi"
KEYS = ("setup", "uninstall", "floor setup", "floor uninstall")


def build_floor(config, built, payload, out):
    target = ["-XTarget amd64-unicode"] if config.preset == "mingw64" else []
    done = subprocess.run(["makensis", "-V2", "-WX", *target, f"-DOUTFILE={out}",
                           f"-DPAYLOAD={payload}", f"-DBUILD={built}",
                           f"-DREADME={ROOT / 'packaging' / 'README-Windows.txt'}", FLOOR],
                          capture_output=True, text=True)  # fmt: skip
    if done.returncode:
        raise RuntimeError(f"makensis {FLOOR.name} failed:\n{done.stdout}{done.stderr}")
    return out


def timed(pfx, *args):
    """Seconds that the Windows command `args` takes; waited for without polling, whose steps of
    up to 50 ms would be most of the bare script's time."""
    t0 = time.monotonic()
    proc = pfx.popen(*args, env=setup_env(pfx), stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL)  # fmt: skip
    limit = threading.Timer(120, proc.kill)
    limit.start()
    status = proc.wait()
    seconds = time.monotonic() - t0
    limit.cancel()
    if status:
        raise RuntimeError(f"{' '.join(args)} ended with {status}")
    return seconds


def measure(pfx, config, built, work, runs):
    """{key: [seconds of each run]} of `runs` alternating runs of each installer."""
    payload = make_payload(work / "payload", VERSION)
    for name, exe in (
        ("setup.exe", build_installer(config, payload, work)),
        ("floor.exe", build_floor(config, built, payload, work / "floor.exe")),
    ):
        pfx.unix(rf"C:\bench\{name}").write_bytes(exe.read_bytes())  # fmt: skip
    fig = {key: [] for key in KEYS}

    def product(app, keep=True):
        setup = timed(pfx, r"C:\bench\setup.exe", "/S", f"/D={app}")
        uninstall = timed(pfx, rf"{app}\uninstall.exe", "/S")
        for key, value in (("setup", setup), ("uninstall", uninstall)) if keep else ():
            fig[key].append(value)

    def floor(app):
        fig["floor setup"].append(timed(pfx, r"C:\bench\floor.exe", "/S", f"/D={app}"))
        fig["floor uninstall"].append(timed(pfx, rf"{app}\uninstall.exe", "/S", f"_?={app}"))

    product(r"C:\bench\warm", keep=False)  # not counted: the first run fills the file cache
    for i in range(runs):
        for run in (product, floor)[:: 1 - 2 * (i % 2)]:
            run(rf"C:\bench\{run.__name__}{i}")
        print(
            f"  run {i + 1:2}: setup {fig['setup'][-1]:.2f} / {fig['floor setup'][-1]:.2f} s,"
            f" uninstall {fig['uninstall'][-1]:.2f} / {fig['floor uninstall'][-1]:.2f} s"
        )
    return fig


def rows(fig, row):
    m = {key: statistics.median(v) for key, v in fig.items()}
    for label, key in (
        ("silent Setup (s) vs bench_setup.nsi", "setup"),
        ("silent uninstall, uninstall.exe /S (s) vs the same", "uninstall"),
    ):
        row(label, m[key], m[f"floor {key}"], "ratio <= 1.5")  # fmt: skip
