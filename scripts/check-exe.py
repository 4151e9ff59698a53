#!/usr/bin/python3
"""Checks the resources of a built talvex.exe with pefile: the manifest (asInvoker, Windows 10/11,
common controls 6, per-monitor-v2 DPI awareness), the icon group with its sizes, and the version
information with the product name and the given version.

Usage: check-exe.py TALVEX_EXE VERSION
"""
import struct
import sys
import xml.etree.ElementTree as ElementTree

import pefile

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
WINDOWS_10_AND_11 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"
ICON_SIZES = {16, 20, 24, 32, 40, 48, 64, 256}

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def resources(pe, kind):
    """The data of every resource of `kind`, by id."""
    found = {}
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return found
    for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if entry.id != kind:
            continue
        for name in entry.directory.entries:
            for language in name.directory.entries:
                data = language.data.struct
                found[name.id] = pe.get_data(data.OffsetToData, data.Size)
    return found


def check_manifest(pe):
    manifests = resources(pe, RT_MANIFEST)
    check(1 in manifests, "a manifest with id 1")
    if 1 not in manifests:
        return
    root = ElementTree.fromstring(manifests[1])
    texts = {element.tag.split("}")[1]: element for element in root.iter()}
    level = texts.get("requestedExecutionLevel")
    check(level is not None and level.get("level") == "asInvoker", "asInvoker")
    supported = [e.get("Id") for e in root.iter() if e.tag.endswith("}supportedOS")]
    check(WINDOWS_10_AND_11 in supported, "supportedOS of Windows 10 and 11")
    awareness = texts.get("dpiAwareness")
    check(awareness is not None and awareness.text.split(",")[0].strip() == "PerMonitorV2",
          "per-monitor-v2 DPI awareness")
    controls = [e for e in root.iter() if e.tag.endswith("}assemblyIdentity")
                and e.get("name") == "Microsoft.Windows.Common-Controls"]
    check(controls and controls[0].get("version") == "6.0.0.0", "common controls 6")


def check_icon(pe):
    groups = resources(pe, RT_GROUP_ICON)
    icons = resources(pe, RT_ICON)
    check(1 in groups, "an icon group with id 1")
    if 1 not in groups:
        return
    data = groups[1]
    _, kind, count = struct.unpack_from("<HHH", data)
    check(kind == 1, "the group holds icons")
    sizes = set()
    for i in range(count):
        width, _, _, _, _, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", data, 6 + 14 * i)
        sizes.add(width or 256)
        check(bits == 32, f"icon {icon_id} has 32 bits per pixel")
        check(len(icons.get(icon_id, b"")) == size, f"icon {icon_id} is in the file whole")
    check(sizes == ICON_SIZES, f"icon sizes {sorted(ICON_SIZES)}, found {sorted(sizes)}")


def check_version(pe, version):
    check(RT_VERSION in [e.id for e in pe.DIRECTORY_ENTRY_RESOURCE.entries], "version information")
    strings = {}
    for info in getattr(pe, "FileInfo", []):
        for block in info:
            for table in getattr(block, "StringTable", []):
                strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    check(strings.get("ProductName") == "Talvex", f"ProductName Talvex, found {strings}")
    check(strings.get("ProductVersion") == version, f"ProductVersion {version}")
    check(strings.get("LegalCopyright", "").startswith("Copyright "), "the licence's copyright")
    fixed = pe.VS_FIXEDFILEINFO[0]
    numbers = [int(n) for n in version.split(".")] + [0]
    check((fixed.FileVersionMS, fixed.FileVersionLS) ==
          (numbers[0] << 16 | numbers[1], numbers[2] << 16 | numbers[3]), "the file version")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    pe = pefile.PE(sys.argv[1])
    check(hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"), "a resource section")
    if not failures:
        check_manifest(pe)
        check_icon(pe)
        check_version(pe, sys.argv[2])
    for failure in failures:
        print(f"check-exe: {sys.argv[1]} lacks {failure}", file=sys.stderr)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
