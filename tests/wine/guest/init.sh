#!/bin/bash
# The emulated machine's first process: mounts what Linux and Wine need, runs
# the job named on the kernel's command line and powers off. Every line on the
# serial console that starts with "wl-guest:" is read by the host
# (tests/wine/winesetup/guest.py).
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev 2>/dev/null
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs shm /dev/shm
mount -o remount,rw /
hostname wl-guest
ip link set lo up 2>/dev/null
arg() { tr ' ' '\n' </proc/cmdline | sed -n "s/^$1=//p"; }
job=$(arg wl.job)
repo=$(arg wl.repo)
echo "wl-guest: up after $(cut -d' ' -f1 /proc/uptime) s"
case $job in
provision)
    /usr/local/sbin/wl-provision
    echo "wl-guest: provision ended with $?"
    ;;
run)
    modprobe 9pnet_virtio && modprobe 9p && mkdir -p "$repo" &&
        mount -t 9p -o trans=virtio,version=9p2000.L,msize=1048576 repo "$repo" ||
        echo "wl-guest: the clone could not be mounted at $repo"
    out=$repo/build/guest
    if [[ -f $out/job.sh ]]; then
        echo "wl-guest: job started"
        bash "$out/job.sh" >"$out/job.log" 2>&1
        status=$?
        echo "$status" >"$out/status"
        echo "wl-guest: job ended with $status"
        tail -n 40 "$out/job.log" | sed 's/^/wl-guest| /'
        sync
        umount "$repo"
    fi
    ;;
*) echo "wl-guest: no job" ;;
esac
sync
echo o >/proc/sysrq-trigger
sleep 60
