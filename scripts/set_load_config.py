#!/usr/bin/env python3
"""Points the load-configuration entry (index 10) of a PE32 image's data
directory at the structure the program defines as `_load_config_used`.

    set_load_config.py IMAGE MAPFILE

GNU ld leaves that entry empty. The structure's address comes from the link
map (IMAGE itself may be stripped), its size from the structure's own first
field. A set PE checksum is recomputed. Running it twice changes nothing.
"""
import os
import re
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pe  # noqa: E402

SYMBOL = "_load_config_used"  # as the map shows it: the C name


def symbol_address(map_text):
    found = re.findall(r"^\s+0x([0-9a-fA-F]+)\s+" + re.escape(SYMBOL) + r"\s*$", map_text, re.M)
    if len(set(found)) != 1:
        raise SystemExit(f"set_load_config: {SYMBOL} found {len(found)} times in the link map")
    return int(found[0], 16)


def main(image_path, map_path):
    data = bytearray(open(image_path, "rb").read())
    try:
        image = pe.PeImage(data)
    except pe.PeError as e:
        raise SystemExit(f"set_load_config: {image_path}: {e}")
    if image.magic != pe.PE32:
        raise SystemExit(f"set_load_config: {image_path} is not PE32")
    if image.directory_count <= pe.DIR_LOAD_CONFIG:
        raise SystemExit("set_load_config: the data directory has no load-configuration entry")

    rva = symbol_address(open(map_path, encoding="utf-8", errors="replace").read()) - image.field("ImageBase")
    try:
        offset = image.rva_to_offset(rva, 4)
    except pe.PeError:
        raise SystemExit(f"set_load_config: {SYMBOL} (RVA {rva:#x}) lies in no section's file data")
    size = pe.u32(data, offset)
    if size < 64 or not image.holds(rva, size):
        raise SystemExit(f"set_load_config: implausible structure size {size}")

    struct.pack_into("<II", data, image.directory_offset(pe.DIR_LOAD_CONFIG), rva, size)
    pe.update_checksum(data, image.field_offset("CheckSum"))
    with open(image_path, "r+b") as out:
        out.write(data)
    print(f"load configuration at RVA {rva:#x}, {size} bytes")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    main(sys.argv[1], sys.argv[2])
