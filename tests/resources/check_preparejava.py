#!/usr/bin/python3
"""Checks the built PrepareJava.exe: PE kind, GUI subsystem, imports of KnownDLLs only, and a
manifest that has Windows start it elevated, which Wine cannot show.

Usage: check_preparejava.py PATH_TO_EXE [--expect-machine i386|amd64]
"""

import argparse
import sys
import xml.etree.ElementTree as ET

import pefile

from check_resources import MACHINES, check_headers, check_imports
from checklib import Failed, ok, require

RT_MANIFEST, PROCESS_MANIFEST = 24, 1
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"


def check_manifest(pe):
    (entry,) = [e for e in pe.DIRECTORY_ENTRY_RESOURCE.entries if e.id == RT_MANIFEST] or [None]
    require(entry is not None, "no manifest")
    (name,) = entry.directory.entries
    require(name.id == PROCESS_MANIFEST, f"manifest {name.id}, expected {PROCESS_MANIFEST}")
    data = name.directory.entries[0].data.struct
    xml = pe.get_data(data.OffsetToData, data.Size)
    levels = [e.attrib for e in ET.fromstring(xml).iter(f"{ASM_V3}requestedExecutionLevel")]
    require(
        levels == [{"level": "requireAdministrator", "uiAccess": "false"}],
        f"execution levels {levels}, expected requireAdministrator only",
    )
    ok("manifest 1 asks for requireAdministrator")


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("exe")
    parser.add_argument("--expect-machine", choices=sorted(MACHINES), default="i386")
    args = parser.parse_args(argv[1:])
    try:
        pe = pefile.PE(args.exe)
        check_headers(pe, args.expect_machine)
        check_imports(pe)
        check_manifest(pe)
    except (Failed, OSError, pefile.PEFormatError, ET.ParseError) as e:
        print(f"FAILED: {args.exe}: {e}", file=sys.stderr)
        return 1
    print("all checks passed: " + args.exe)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
