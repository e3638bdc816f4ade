"""An emulated machine that runs 32-bit code, for hosts that run none: a Debian 12 amd64 guest
under qemu-system-x86_64 with TCG, where Debian's wine32 runs the PE32 in a 32-bit prefix and,
through WoW64, in a 64-bit one.

The guest's image is built from Debian's packages once per recipe (the packages, the build steps
and the guest's scripts in tests/wine/guest, hashed), kept in the cache outside the clone and
booted per run on a throwaway overlay. The clone is shared with the guest at the same path, so the
guest runs what the host built and what it writes (JUnit XML, kept files) lands in the clone's
build folder. Building the image needs root (debootstrap, chroot).

usage: python3 -m winesetup.guest [--timeout SECONDS] COMMAND...   (from tests/wine)
  runs COMMAND in the clone's folder inside the guest and exits with its status;
  without COMMAND it only makes sure that the image is there.
"""
import argparse
import hashlib
import inspect
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from .build import ROOT

GUEST = ROOT / "tests" / "wine" / "guest"
CACHE = Path(
    os.environ.get("WL_GUEST_CACHE")
    or Path(os.environ.get("XDG_CACHE_HOME") or Path.home() / ".cache") / "dovern-guest"
)
OUT = ROOT / "build" / "guest"
SUITE = "bookworm"
PACKAGES = """
    wine wine32:i386 wine64 fonts-wine xvfb xauth xdotool x11-utils imagemagick
    python3 python3-pil python3-pefile python3-pytest python3-pytest-xdist python3-hypothesis
    nsis linux-image-amd64 initramfs-tools udev kmod procps iproute2
""".split()
HOST_TOOLS = {
    "debootstrap": "debootstrap",
    "mkfs.ext4": "e2fsprogs",
    "qemu-img": "qemu-utils",
    "qemu-system-x86_64": "qemu-system-x86",
}
IMAGE_SIZE = "10G"
BOOT_SECONDS = 300  # from the start of QEMU to the job's first line, on a loaded 2-core host
PREFIXES = "/var/cache/wl-prefixes"
# Windows programs run 2-3 times slower in the guest than natively (Wine's own start 8-10 times).
TIME_SCALE = "3"


def log(text):
    print(f"guest: {text}", file=sys.stderr, flush=True)


def missing_host_tools():
    """The Debian packages of the host's tools that are missing."""
    path = os.environ.get("PATH", "") + ":/usr/sbin:/sbin"
    return [pkg for tool, pkg in HOST_TOOLS.items() if not shutil.which(tool, path=path)]


def sources():
    """The host's apt sources files (the guest fetches from the same mirror) and the mirror of
    the release suite, for debootstrap."""
    files = [f for f in [Path("/etc/apt/sources.list"), *Path("/etc/apt/sources.list.d").glob("*")]
             if f.is_file() and f.suffix in (".list", ".sources")]  # fmt: skip
    for f in files:
        text = f.read_text()
        one_line = re.search(rf"^deb\s+(?:\[[^]]*\]\s+)?(\S+)\s+{SUITE}(?:\s|$)", text, re.M)
        stanzas = [
            s for s in text.split("\n\n") if re.search(rf"^Suites:(.*\s)?{SUITE}(\s|$)", s, re.M)
        ]
        uris = [m.group(1) for s in stanzas if (m := re.search(r"^URIs:\s*(\S+)", s, re.M))]
        if one_line or uris:
            return files, (one_line.group(1) if one_line else uris[0])
    raise RuntimeError(f"the host's apt sources name no mirror of {SUITE}")


def run(*cmd, what, timeout=1800, **kw):
    """Runs a build step; its output only when it fails."""
    done = subprocess.run(cmd, capture_output=True, text=True, timeout=timeout, **kw)
    if done.returncode:
        out = (done.stdout + done.stderr).strip().splitlines()
        raise RuntimeError(f"{what} failed ({done.returncode}):\n" + "\n".join(out[-30:]))
    return done.stdout


def apt_install(tree):
    """Installs PACKAGES in the chroot `tree`; a package that cannot be had is named."""
    chroot = ["chroot", str(tree), "env", "DEBIAN_FRONTEND=noninteractive", "LANG=C.UTF-8"]
    run(*chroot, "dpkg", "--add-architecture", "i386", what="dpkg --add-architecture")
    run(*chroot, "apt-get", "update", "-o", "Acquire::Retries=3", what="apt-get update")
    install = [*chroot, "apt-get", "install", "-y", "--no-install-recommends",
               "-o", "Acquire::Retries=3", *PACKAGES]  # fmt: skip
    done = subprocess.run(install, capture_output=True, text=True, timeout=3600)
    if done.returncode:  # a mirror mid-sync: the release suite's versions for both architectures
        done = subprocess.run(install + ["-t", SUITE], capture_output=True, text=True, timeout=3600)
    out = done.stdout + done.stderr
    gone = re.findall(r"Unable to locate package (\S+)|Package '?(\S+?)'? has no installation", out)
    if gone:
        raise RuntimeError(f"packages missing from the mirror: {[a or b for a, b in gone]}")
    # The i386 packages' post-install steps cannot run on the host's CPU; harmless in the guest.
    if done.returncode and "Exec format error" not in out:
        raise RuntimeError("apt-get install in the guest's tree failed:\n" + out[-3000:])
    run(*chroot, "apt-get", "clean", what="apt-get clean")


def make_tree(tree):
    """The guest's root file system, from Debian's packages."""
    files, mirror = sources()
    log(f"debootstrap {SUITE} from the host's mirror into {tree}")
    run("debootstrap", "--variant=minbase", "--arch=amd64", SUITE, str(tree), mirror,
        what="debootstrap")  # fmt: skip
    for f in tree.glob("etc/apt/sources.list*"):
        shutil.rmtree(f) if f.is_dir() and f.name.endswith(".d") else f.unlink()
    (tree / "etc/apt/sources.list.d").mkdir()
    for f in files:
        shutil.copy(f, tree / "etc/apt" / f.relative_to("/etc/apt"))
    for f in Path("/etc/apt/apt.conf.d").glob("*"):  # the host's Acquire settings (a snapshot)
        if f.is_file() and "Acquire::" in f.read_text(errors="replace"):
            shutil.copy(f, tree / "etc/apt/apt.conf.d" / f.name)
    mounts = [(src, tree / src.lstrip("/")) for src in ("/proc", "/sys", "/dev")]
    try:
        for src, dst in mounts:
            run("mount", "--bind", src, str(dst), what=f"mount {dst}")
        log(f"installing {len(PACKAGES)} packages in the guest's tree")
        apt_install(tree)
    finally:
        unmount_below(tree)
    shutil.copy(GUEST / "init.sh", tree / "sbin/wl-init")
    shutil.copy(GUEST / "provision.sh", tree / "usr/local/sbin/wl-provision")
    (tree / "etc/hostname").write_text("wl-guest\n")


def unmount_below(path):
    """Unmounts whatever is mounted below `path` (a chroot's /proc, /sys, /dev), so that
    removing it can never reach the host's."""
    for _ in range(5):
        mounts = [m.split()[1] for m in Path("/proc/mounts").read_text().splitlines()]
        below = sorted((m for m in mounts if m.startswith(f"{path}/")), reverse=True)
        if not below:
            return
        for m in below:
            subprocess.run(["umount", "-l", m], capture_output=True)
    raise RuntimeError(f"still mounted below {path}: {below}")


def recipe_key():
    """What the image is made of: a new value rebuilds it."""
    parts = [SUITE, IMAGE_SIZE, " ".join(PACKAGES), inspect.getsource(make_tree),
             inspect.getsource(apt_install), inspect.getsource(build_image),
             *(p.read_text() for p in sorted(GUEST.glob("*.sh")))]  # fmt: skip
    return hashlib.sha256("\0".join(parts).encode()).hexdigest()[:16]


def boot(folder, drive, job, serial, timeout, share=None, follow=None):
    """Boots the kernel of `folder` on `drive` with job `job`; answers the serial console's
    text. The boot is bounded: no sign of the job within BOOT_SECONDS is a failed boot, tried
    once more; then the serial log's tail is reported. What the job writes to file `follow`
    is copied to standard output as it comes."""
    ready = "wl-guest: up" if job == "provision" else "wl-guest: job started"
    cmd = ["qemu-system-x86_64", "-machine", "pc", "-accel", "tcg,thread=multi",
           "-cpu", "max,-smap", "-smp", "2", "-m", "6G", "-nodefaults", "-no-reboot",
           "-kernel", str(folder / "vmlinuz"), "-initrd", str(folder / "initrd.img"),
           "-append", f"root=/dev/vda rw console=ttyS0 init=/sbin/wl-init panic=-1 quiet "
                      f"wl.job={job} wl.repo={share or '-'}",
           "-drive", f"file={drive},if=virtio,format={drive.suffix.lstrip('.')},cache=unsafe",
           "-display", "none", "-vga", "none", "-serial", f"file:{serial}",
           "-monitor", "none", "-nic", "none"]  # fmt: skip
    if share:
        cmd += ["-virtfs", f"local,path={share},mount_tag=repo,security_model=none"]
    for attempt in (1, 2):
        started = time.monotonic()
        qemu = subprocess.Popen(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=open(serial.with_suffix(".qemu.log"), "w"))  # fmt: skip
        try:
            text, booted, shown = "", False, 0
            while qemu.poll() is None:
                time.sleep(2)
                text = serial.read_text(errors="replace") if serial.exists() else ""
                booted = booted or ready in text
                if follow and follow.exists():
                    with open(follow, "rb") as f:
                        f.seek(shown)
                        new = f.read()
                    shown += len(new)
                    sys.stdout.write(new.decode(errors="replace"))
                    sys.stdout.flush()
                limit = timeout if booted else BOOT_SECONDS
                if time.monotonic() - started > limit:
                    break
            if qemu.poll() is None:
                qemu.kill()
                if booted:
                    raise RuntimeError(f"the guest's job did not end within {timeout} s;"
                                       f" serial log {serial}:\n{tail(text)}")  # fmt: skip
            elif booted:
                log(f"the guest ran for {time.monotonic() - started:.0f} s")
                return serial.read_text(errors="replace")
        finally:
            qemu.kill()
            qemu.wait()
        log(f"boot {attempt} failed ({time.monotonic() - started:.0f} s)")
    qemu_log = serial.with_suffix(".qemu.log").read_text(errors="replace")
    raise RuntimeError(f"the guest did not boot twice; QEMU: {qemu_log.strip()[-500:]}\n"
                       f"serial log {serial}:\n{tail(text)}")  # fmt: skip


def tail(text, lines=40):
    return "\n".join(text.strip().splitlines()[-lines:])


def build_image(folder):
    """Builds the image into `folder`: the tree, the ext4 image made from it without mounting,
    the kernel and its initrd beside it, then a first boot that makes the Wine prefixes."""
    work = Path(tempfile.mkdtemp(prefix="build-", dir=CACHE))
    try:
        tree = work / "tree"
        make_tree(tree)
        kernel = sorted(tree.glob("boot/vmlinuz-*"))[-1]
        shutil.copy(kernel, work / "vmlinuz")
        shutil.copy(
            tree / "boot" / kernel.name.replace("vmlinuz", "initrd.img"), work / "initrd.img"
        )
        log("making the image (mkfs.ext4 -d)")
        image = work / "root.raw"
        run("mkfs.ext4", "-q", "-F", "-L", "wl-guest", "-d", str(tree), str(image), IMAGE_SIZE,
            what="mkfs.ext4")  # fmt: skip
        shutil.rmtree(tree)
        log("first boot: the Wine prefixes (several minutes)")
        text = boot(work, image, "provision", work / "provision.log", timeout=1500)
        if "wl-guest: provision ended with 0" not in text:
            raise RuntimeError(f"the guest's provisioning failed:\n{tail(text)}")
        work.rename(folder)
    finally:
        unmount_below(work)
        shutil.rmtree(work, ignore_errors=True)


def image():
    """The image of the current recipe, built when missing; older ones are removed."""
    if missing := missing_host_tools():
        raise RuntimeError(f"the emulated machine needs these host packages: {' '.join(missing)}")
    CACHE.mkdir(parents=True, exist_ok=True)
    folder = CACHE / recipe_key()
    if not folder.is_dir():
        for old in CACHE.iterdir():
            shutil.rmtree(old, ignore_errors=True)
        started = time.monotonic()
        log(f"building the image {folder.name} (about 10-15 minutes)")
        build_image(folder)
        log(f"image built in {time.monotonic() - started:.0f} s")
    return folder


def run_in_guest(command, timeout):
    """Runs `command` (argv) in the clone's folder inside a fresh guest; answers its status."""
    folder = image()
    shutil.rmtree(OUT, ignore_errors=True)
    OUT.mkdir(parents=True)
    env = dict(WL_PREFIX_BASE=PREFIXES, WL_PREBUILT="1", WL_GUEST="1", WL_TIME_SCALE=TIME_SCALE,
               CI=os.environ.get("CI", ""))  # fmt: skip
    (OUT / "job.sh").write_text(
        "cd " + shlex.quote(str(ROOT)) + "\n"
        + "".join(f"export {k}={shlex.quote(v)}\n" for k, v in env.items())
        + f"exec timeout {timeout} " + shlex.join(command) + "\n"
    )  # fmt: skip
    with tempfile.TemporaryDirectory(prefix="run-", dir=CACHE) as tmp:
        overlay = Path(tmp) / "overlay.qcow2"
        run("qemu-img", "create", "-q", "-f", "qcow2", "-F", "raw", "-b",
            str(folder / "root.raw"), str(overlay), what="qemu-img create")  # fmt: skip
        boot(folder, overlay, "run", OUT / "serial.log", timeout + 120, ROOT, OUT / "job.log")
    status = OUT / "status"
    if not status.exists():
        raise RuntimeError(f"the guest's job left no status; see {OUT / 'serial.log'}")
    return int(status.read_text())


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--timeout", type=int, default=3000, help="seconds for the command")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    try:
        if not args.command:
            print(image())
            return 0
        return run_in_guest(args.command, args.timeout)
    except (RuntimeError, subprocess.TimeoutExpired) as e:
        log(str(e))
        return 1


if __name__ == "__main__":
    sys.exit(main())
