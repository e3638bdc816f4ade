#!/usr/bin/python3
"""Checks the built launcher executable: PE kind, GUI subsystem, its size,
imports of KnownDLLs only, and a resource section holding exactly the icon and the version block.
With --prepare-java, PrepareJava.exe instead: PE kind, GUI subsystem, imports of KnownDLLs only,
and a manifest that has Windows start it elevated, which Wine cannot show.

Usage: check_resources.py PATH_TO_EXE [--expect-machine i386|amd64] [--prepare-java]
"""

import argparse
import os
import struct
import sys
import xml.etree.ElementTree as ET

import pefile

from checklib import Failed, ok, require

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
RESOURCE_TYPE_NAMES = {RT_ICON: "RT_ICON", RT_GROUP_ICON: "RT_GROUP_ICON", RT_VERSION: "RT_VERSION"}
EXPECTED_RESOURCES = {RT_ICON: [30001], RT_GROUP_ICON: [1], RT_VERSION: [1]}
LANG_EN_US = 0x0409

MACHINES = {
    "i386": (0x014C, 0x10B, "PE32"),
    "amd64": (0x8664, 0x20B, "PE32+"),
}

# Windows maps its KnownDLLs from the system folder whatever lies beside the
# program; any other DLL imported by name would be looked for in the launcher's
# own folder first, before the launcher can restrict the search.
KNOWN_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "msvcrt.dll"}

ICON_IMAGE_SIZE = 2216
# The launcher is one small file with its runtime linked in.
MAX_SIZE = 300 * 1024

EXPECTED_STRINGS = [
    ("CompanyName", "dovern"),
    ("ProductName", "Dovern Professional SMS Server"),
    ("FileVersion", "1.00"),
    ("ProductVersion", "1.00"),
    ("InternalName", "DovernProfessionalSMSServer"),
    ("OriginalFilename", "DovernProfessionalSMSServer.exe"),
]


# ---------------------------------------------------------------- headers and imports


def check_headers(pe, machine):
    want_machine, want_magic, kind = MACHINES[machine]
    got_magic = pe.OPTIONAL_HEADER.Magic
    require(
        got_magic == want_magic,
        "optional header magic is 0x%X, expected 0x%X (%s)" % (got_magic, want_magic, kind),
    )
    require(
        pe.FILE_HEADER.Machine == want_machine,
        "machine is 0x%04X, expected 0x%04X (%s)" % (pe.FILE_HEADER.Machine, want_machine, machine),
    )
    ok("%s for %s (magic 0x%X, machine 0x%04X)" % (kind, machine, got_magic, want_machine))
    subsystem = pe.OPTIONAL_HEADER.Subsystem
    require(subsystem == 2, "subsystem is %d, expected 2 (Windows GUI)" % subsystem)
    ok("subsystem Windows GUI (2)")


def check_size(path):
    size = os.path.getsize(path)
    require(size <= MAX_SIZE, "the executable is %d bytes, more than %d" % (size, MAX_SIZE))
    ok("%d bytes, at most %d" % (size, MAX_SIZE))


def check_imports(pe):
    names = []
    for attr in ("DIRECTORY_ENTRY_IMPORT", "DIRECTORY_ENTRY_DELAY_IMPORT"):
        for entry in getattr(pe, attr, []):
            names.append(entry.dll.decode("ascii", "replace"))
    require(names, "the executable imports nothing (expected at least KERNEL32.dll)")
    print("imports: " + ", ".join(names))
    bad = [n for n in names if n.lower() not in KNOWN_DLLS]
    require(
        not bad,
        "imports DLLs that are not among the system's KnownDLLs (%s): %s"
        % (", ".join(sorted(KNOWN_DLLS)), ", ".join(bad)),
    )
    ok("imports only KnownDLLs of the system")


# ---------------------------------------------------------------- resources


def resource_name(entry):
    if entry.name is not None:
        return str(entry.name)
    return entry.id


def read_resources(pe):
    """{type: {name: [(language, bytes)]}} from the resource directory."""
    require(hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"), "the executable has no resources")
    found = {}
    for type_entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        kind = resource_name(type_entry)
        names = found.setdefault(kind, {})
        for name_entry in type_entry.directory.entries:
            langs = names.setdefault(resource_name(name_entry), [])
            for lang_entry in name_entry.directory.entries:
                d = lang_entry.data.struct
                langs.append((lang_entry.id, pe.get_data(d.OffsetToData, d.Size)))
    return found


def describe(found):
    parts = []
    for kind, names in found.items():
        label = RESOURCE_TYPE_NAMES.get(kind, str(kind))
        parts.append("%s: %s" % (label, sorted(names, key=str)))
    return "; ".join(parts)


def check_resource_list(found):
    got = {kind: sorted(names, key=str) for kind, names in found.items()}
    require(
        got == EXPECTED_RESOURCES,
        "resources are {%s}, expected exactly RT_ICON 30001, RT_GROUP_ICON 1, RT_VERSION 1"
        % describe(found),
    )
    ok("resources exactly RT_ICON 30001, RT_GROUP_ICON 1, RT_VERSION 1")
    for kind, names in found.items():
        for name, langs in names.items():
            got_langs = [lang for lang, _ in langs]
            require(
                got_langs == [LANG_EN_US],
                "%s %s has languages %s, expected only 0x0409"
                % (RESOURCE_TYPE_NAMES[kind], name, ["0x%04X" % lang for lang in got_langs]),
            )
    ok("every resource in language 0x0409 (U.S. English) only")


def check_icon(found):
    image = found[RT_ICON][30001][0][1]
    require(
        len(image) == ICON_IMAGE_SIZE,
        "icon image 30001 is %d bytes, expected %d" % (len(image), ICON_IMAGE_SIZE),
    )
    (
        size,
        width,
        height,
        planes,
        bits,
        compression,
        size_image,
        _xppm,
        _yppm,
        clr_used,
        _clr_important,
    ) = struct.unpack_from("<IiiHHIIiiII", image, 0)
    require(size == 40, "icon image header is %d bytes, expected a 40-byte BITMAPINFOHEADER" % size)
    require(
        (width, height) == (32, 64),
        "icon image is %dx%d, expected 32x64 (XOR + AND)" % (width, height),
    )
    require(planes == 1, "icon image has %d planes, expected 1" % planes)
    require(bits == 8, "icon image has %d bits per pixel, expected 8" % bits)
    require(compression == 0, "icon image compression is %d, expected 0 (BI_RGB)" % compression)
    require(
        size_image in (0, 1152), "icon image biSizeImage is %d, expected 0 or 1152" % size_image
    )
    require(clr_used in (0, 256), "icon image biClrUsed is %d, expected 0 or 256" % clr_used)
    ok("icon image 30001: %d bytes, BITMAPINFOHEADER 32x64, 8 bpp" % len(image))

    group = found[RT_GROUP_ICON][1][0][1]
    require(len(group) == 20, "icon group 1 is %d bytes, expected 20 (one entry)" % len(group))
    reserved, kind, count = struct.unpack_from("<HHH", group, 0)
    require(
        (reserved, kind, count) == (0, 1, 1),
        "icon group header is reserved=%d type=%d count=%d, expected 0, 1, 1"
        % (reserved, kind, count),
    )
    w, h, colours, res, planes, bits, nbytes, nid = struct.unpack_from("<BBBBHHIH", group, 6)
    require(
        (w, h, colours, res) == (32, 32, 0, 0),
        "icon group entry is %dx%d colours=%d reserved=%d, expected 32x32, 0, 0"
        % (w, h, colours, res),
    )
    require(
        (planes, bits) == (1, 8),
        "icon group entry has planes=%d bits=%d, expected 1, 8" % (planes, bits),
    )
    require(
        nbytes == len(image),
        "icon group entry says %d bytes, the image has %d" % (nbytes, len(image)),
    )
    require(nid == 30001, "icon group entry points at %d, expected 30001" % nid)
    ok("icon group 1: one 32x32 8-bit entry pointing at 30001 (%d bytes)" % nbytes)


# ---------------------------------------------------------------- version block


def parse_node(data, offset):
    """One version-block node: (key, wType, value bytes, children, end offset).
    For text nodes (wType 1) wValueLength counts UTF-16 units, else bytes."""
    require(offset + 6 <= len(data), "version block truncated at offset %d" % offset)
    length, value_length, wtype = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    require(
        length >= 6 and end <= len(data),
        "version block node at offset %d has bad length %d" % (offset, length),
    )
    pos = offset + 6
    chars = []
    while True:
        require(pos + 2 <= end, "unterminated key in version block at offset %d" % offset)
        (c,) = struct.unpack_from("<H", data, pos)
        pos += 2
        if c == 0:
            break
        chars.append(c)
    key = "".join(map(chr, chars))
    pos = (pos + 3) & ~3
    value_bytes = value_length * 2 if wtype == 1 else value_length
    require(pos + value_bytes <= end, "value of %r runs past its node" % key)
    value = data[pos : pos + value_bytes]
    pos = (pos + value_bytes + 3) & ~3
    children = []
    while pos < end:
        child = parse_node(data, pos)
        children.append(child)
        pos = (child[4] + 3) & ~3
    return key, wtype, value, children, end


def text_value(key, value):
    text = value.decode("utf-16-le")
    # One terminating NUL is how the compiler stores it; anything more would
    # show up in what VerQueryValueW returns.
    if text.endswith("\0"):
        text = text[:-1]
    require("\0" not in text, "value of %r has stray NUL characters: %r" % (key, text))
    return text


def check_version(found):
    data = found[RT_VERSION][1][0][1]
    key, _wtype, fixed, children, _end = parse_node(data, 0)
    require(key == "VS_VERSION_INFO", "version block root is %r, expected VS_VERSION_INFO" % key)
    require(len(fixed) == 52, "fixed file info is %d bytes, expected 52" % len(fixed))
    (
        signature,
        _struc,
        fv_ms,
        fv_ls,
        pv_ms,
        pv_ls,
        mask,
        flags,
        os_,
        ftype,
        subtype,
        _date_ms,
        _date_ls,
    ) = struct.unpack("<13I", fixed)
    require(signature == 0xFEEF04BD, "fixed file info signature is 0x%08X" % signature)

    def quad(ms, ls):
        return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)

    got = (quad(fv_ms, fv_ls), quad(pv_ms, pv_ls), mask, flags, os_, ftype, subtype)
    want = ("1.0.0.0", "1.0.0.0", 0, 0, 4, 1, 0)
    require(
        got == want,
        "fixed file info is file %s, product %s, mask 0x%X, flags 0x%X, OS 0x%X, type %d, "
        "subtype %d; expected file 1.0.0.0, product 1.0.0.0, mask 0, flags 0, OS 4, type 1, "
        "subtype 0" % got,
    )
    ok("fixed file info: file 1.0.0.0, product 1.0.0.0, mask 0, flags 0, OS 4, type 1, subtype 0")

    blocks = [c[0] for c in children]
    require(
        sorted(blocks) == ["StringFileInfo", "VarFileInfo"],
        "version block children are %s, expected StringFileInfo and VarFileInfo" % blocks,
    )
    for child_key, _t, _v, grandchildren, _e in children:
        if child_key == "StringFileInfo":
            tables = [g[0] for g in grandchildren]
            require(tables == ["040904B0"], "string tables are %s, expected only 040904B0" % tables)
            strings = [(s[0], text_value(s[0], s[2])) for s in grandchildren[0][3]]
            require(all(s[3] == [] for s in grandchildren[0][3]), "a string entry has children")
            require(
                strings == EXPECTED_STRINGS,
                "string table 040904B0 holds %s, expected %s" % (strings, EXPECTED_STRINGS),
            )
            ok("string table 040904B0: " + "; ".join("%s=%r" % kv for kv in strings))
        else:
            vars_ = [g[0] for g in grandchildren]
            require(
                vars_ == ["Translation"], "VarFileInfo holds %s, expected only Translation" % vars_
            )
            value = grandchildren[0][2]
            require(len(value) % 4 == 0 and value, "Translation value is %d bytes" % len(value))
            pairs = [struct.unpack_from("<HH", value, i) for i in range(0, len(value), 4)]
            require(
                pairs == [(0x0409, 1200)],
                "translations are %s, expected only 0x0409/1200" % ["0x%04X/%d" % p for p in pairs],
            )
            ok("translation 0x0409/1200 only")


def check_elevation_manifest(pe):
    manifests = [e for e in pe.DIRECTORY_ENTRY_RESOURCE.entries if e.id == RT_MANIFEST]
    require(len(manifests) == 1, "no manifest")
    (name,) = manifests[0].directory.entries
    require(name.id == 1, "manifest %s, expected 1, the one a process starts with" % name.id)
    data = name.directory.entries[0].data.struct
    xml = ET.fromstring(pe.get_data(data.OffsetToData, data.Size))
    tag = "{urn:schemas-microsoft-com:asm.v3}requestedExecutionLevel"
    levels = [e.attrib for e in xml.iter(tag)]
    require(
        levels == [{"level": "requireAdministrator", "uiAccess": "false"}],
        "execution levels %s, expected requireAdministrator only" % levels,
    )
    ok("manifest 1 asks for requireAdministrator")


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("exe")
    parser.add_argument("--expect-machine", choices=sorted(MACHINES), default="i386")
    parser.add_argument("--prepare-java", action="store_true")
    args = parser.parse_args(argv[1:])
    try:
        pe = pefile.PE(args.exe, fast_load=False)
        check_headers(pe, args.expect_machine)
        check_imports(pe)
        if args.prepare_java:
            check_elevation_manifest(pe)
        else:
            check_size(args.exe)
            found = read_resources(pe)
            check_resource_list(found)
            check_icon(found)
            check_version(found)
    except Failed as e:
        print("FAILED: %s: %s" % (args.exe, e), file=sys.stderr)
        return 1
    except (OSError, pefile.PEFormatError, ET.ParseError) as e:
        print("FAILED: %s: %s" % (args.exe, e), file=sys.stderr)
        return 1
    print("all checks passed: " + args.exe)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
