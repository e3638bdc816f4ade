#!/bin/bash
# Run once in a new image: the Wine prefixes that every run starts from, made
# while the machine is emulated, since making them runs Windows code (minutes:
# wineboot goes on in the background after its caller gave up waiting, and a
# 64-bit prefix's 32-bit part comes last). The harness copies them instead of
# running wineboot (WL_PREFIX_BASE).
base=/var/cache/wl-prefixes
rm -rf "$base"
mkdir -p "$base"
Xvfb :9 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:9 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
sleep 2

# A 32-bit program of the prefix runs: in a 64-bit one, through WoW64.
runs32() {
    local dir=system32
    [[ $1 == win64 ]] && dir=syswow64
    WINEPREFIX=$base/$1 timeout 600 /usr/lib/wine/wine "C:\\windows\\$dir\\reg.exe" \
        query "HKCU\\Software" >/dev/null 2>&1
}

make_prefix() {
    local arch=$1 prefix=$base/$1 t0=$SECONDS
    WINEPREFIX=$prefix WINEARCH=$arch timeout 1800 wineboot -i >"$base/$arch.log" 2>&1
    WINEPREFIX=$prefix timeout 1800 wineserver -w
    if ! runs32 "$arch"; then
        echo "wl-guest: $arch: the 32-bit part is not complete; wineboot -u"
        WINEPREFIX=$prefix timeout 1800 wineboot -u >>"$base/$arch.log" 2>&1
        WINEPREFIX=$prefix timeout 1800 wineserver -w
    fi
    WINEPREFIX=$prefix timeout 120 wineserver -w
    if runs32 "$arch" && WINEPREFIX=$prefix timeout 120 wineserver -w; then
        echo "wl-guest: $arch prefix made in $((SECONDS - t0)) s, $(du -sh "$prefix" | cut -f1)"
    else
        echo "wl-guest: no $arch prefix"
        tail -n 20 "$base/$arch.log"
        return 1
    fi
}

make_prefix win32 &
win32=$!
make_prefix win64
made=$?
wait $win32 && ((made == 0)) || exit 1
kill $xvfb
touch "$base/ready"
