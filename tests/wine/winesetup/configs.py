"""Configurations: which Windows the launcher meets and which build of it runs there."""
import functools
import os
import subprocess
from dataclasses import dataclass

WINE32, WINE64 = "/usr/lib/wine/wine", "/usr/lib/wine/wine64"


@dataclass
class Config:
    name: str
    preset: str  # the CMake preset that builds what runs
    wine: str  # the loader of the launcher and of the helpers
    view: str  # the registry view the launcher reads
    other_view: str  # the one it does not read, on 64-bit Windows
    program_files: str  # where programs of the launcher's width are installed
    env: dict
    about: str


PF, PF86 = r"C:\Program Files", r"C:\Program Files (x86)"
PE32, X64 = "the PE32 (preset mingw) in a", {"WINEARCH": "win64", "WINELOADER": WINE64}
# Without WINELOADER Wine picks the 32-bit loader for a PE32 and the 64-bit one for a PE32+,
# also in a 64-bit prefix.
CONFIGS = {
    c.name: c
    for c in [
        Config("win32", "mingw", WINE32, "/reg:32", "", PF, {"WINEARCH": "win32"},
               f"{PE32} 32-bit prefix, as on 32-bit Windows"),
        Config("wow64", "mingw", WINE32, "/reg:32", "/reg:64", PF86, {"WINEARCH": "win64"},
               f"{PE32} 64-bit prefix through WoW64, as on 64-bit Windows; runtimes registered"
               " in the 32-bit view (Wow6432Node)"),
        Config("x64", "mingw64", WINE64, "/reg:64", "", PF, X64,
               "the x86-64 build (preset mingw64) in a 64-bit prefix, runtimes in the 64-bit view;"
               " the fallback for hosts without 32-bit support, not the product"),
    ]
}  # fmt: skip


# How much slower Windows programs run here than on a native host: WL_TIME_SCALE, which the
# emulated machine sets. Waits and the upper bounds of timings stretch by it; lower bounds stay.
TIME_SCALE = float(os.environ.get("WL_TIME_SCALE") or 1)


def host_runs_pe32():
    try:
        return (
            subprocess.run([WINE32, "--version"], capture_output=True, timeout=20).returncode == 0
        )
    except (OSError, subprocess.TimeoutExpired):
        return False


@functools.cache
def host_configs():
    """WL_CONFIGS when set, else win32 and wow64 where 32-bit code runs, else x64."""
    names = os.environ.get("WL_CONFIGS", "").split() or (
        ["win32", "wow64"] if host_runs_pe32() else ["x64"]
    )
    return [CONFIGS[name] for name in names]
