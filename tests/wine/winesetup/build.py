"""Builds of the CMake presets, one builder at a time whatever the number of workers."""
import fcntl
import subprocess
from pathlib import Path

ROOT = Path(__file__).resolve().parents[3]


def build(preset):
    """Configures and builds `preset` into build/<preset>; answers that folder."""
    out = ROOT / "build" / preset
    out.parent.mkdir(exist_ok=True)
    log = out.with_suffix(".log")
    with open(out.with_suffix(".lock"), "w") as lock, open(log, "w") as log_file:
        fcntl.flock(lock, fcntl.LOCK_EX)
        for cmd in (["cmake", "--preset", preset], ["cmake", "--build", str(out), "-j2"]):
            if subprocess.run(cmd, cwd=ROOT, stdout=log_file, stderr=subprocess.STDOUT).returncode:
                tail = "".join(log.read_text().splitlines(True)[-30:])
                raise RuntimeError(f"build with preset {preset} failed (log: {log}):\n{tail}")
    return out
