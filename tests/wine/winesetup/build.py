"""Builds of the CMake presets, one builder at a time whatever the number of workers."""
import fcntl
import os
import subprocess
from pathlib import Path

ROOT = Path(__file__).resolve().parents[3]


def build(preset):
    """Configures and builds `preset` into build/<preset>; answers that folder. With WL_PREBUILT
    (in the emulated machine, which has no compilers) the host's build is used as it is."""
    out = ROOT / "build" / preset
    if os.environ.get("WL_PREBUILT"):
        if not (out / "CMakeCache.txt").is_file():
            raise RuntimeError(f"WL_PREBUILT: {out} was not built on the host")
        return out
    out.parent.mkdir(exist_ok=True)
    log = out.with_suffix(".log")
    with open(out.with_suffix(".lock"), "w") as lock, open(log, "w") as log_file:
        fcntl.flock(lock, fcntl.LOCK_EX)
        for cmd in (["cmake", "--preset", preset], ["cmake", "--build", str(out), "-j2"]):
            if subprocess.run(cmd, cwd=ROOT, stdout=log_file, stderr=subprocess.STDOUT).returncode:
                tail = "".join(log.read_text().splitlines(True)[-30:])
                raise RuntimeError(f"build with preset {preset} failed (log: {log}):\n{tail}")
    return out
