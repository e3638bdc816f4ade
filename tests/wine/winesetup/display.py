"""Xvfb on a display number it picks itself, so that parallel workers cannot race for one."""
import ctypes
import os
import select
import signal
import subprocess
import time


def start_xvfb(log):
    """Starts Xvfb, waits up to 10 s until it serves; answers the process and its DISPLAY."""
    pipe_r, pipe_w = os.pipe()
    die_with_us = lambda: ctypes.CDLL("libc.so.6").prctl(1, signal.SIGTERM)  # noqa: E731
    with open(log, "w") as out:
        cmd = ["Xvfb", "-displayfd", str(pipe_w), "-screen", "0", "1024x768x24", "-nolisten", "tcp"]
        proc = subprocess.Popen(cmd + ["-noreset"], pass_fds=[pipe_w], stdout=out, stderr=out,
                                preexec_fn=die_with_us)  # fmt: skip
    os.close(pipe_w)
    # The number comes in two writes, the newline last: the pipe stays open until then.
    number, deadline = b"", time.monotonic() + 10
    while (
        not number.endswith(b"\n")
        and select.select([pipe_r], [], [], max(0, deadline - time.monotonic()))[0]
    ):
        number += os.read(pipe_r, 32) or b"\n"
    os.close(pipe_r)
    if not number.strip().isdigit():
        proc.kill()
        raise RuntimeError(f"Xvfb did not start (see {log})")
    return proc, f":{number.decode().strip()}"
