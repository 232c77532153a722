#!/usr/bin/env python3
"""Points the load-configuration entry (index 10) of a PE32 image's data
directory at the structure the program defines as `_load_config_used`.

    set_load_config.py IMAGE MAPFILE

GNU ld leaves that entry empty. The structure's address comes from the link
map (IMAGE itself may be stripped), its size from the structure's own first
field. A set PE checksum is recomputed. Running it twice changes nothing.
"""
import re
import struct
import sys

SYMBOL = "_load_config_used"  # as the map shows it: the C name
LOAD_CONFIG_INDEX = 10


def symbol_address(map_text):
    found = re.findall(r"^\s+0x([0-9a-fA-F]+)\s+" + re.escape(SYMBOL) + r"\s*$", map_text, re.M)
    if len(set(found)) != 1:
        raise SystemExit(f"set_load_config: {SYMBOL} found {len(found)} times in the link map")
    return int(found[0], 16)


def pe_checksum(data, checksum_offset):
    total = 0
    padded = data + b"\0" * (len(data) % 2)
    for (word,) in struct.iter_unpack("<H", padded):
        total += word
    # The checksum field itself counts as zero.
    total -= sum(struct.unpack_from("<HH", data, checksum_offset))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return total + len(data)


def main(image_path, map_path):
    data = bytearray(open(image_path, "rb").read())
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise SystemExit(f"set_load_config: {image_path} is not a PE image")
    sections, = struct.unpack_from("<H", data, pe + 6)
    opt_size, = struct.unpack_from("<H", data, pe + 20)
    opt = pe + 24
    if struct.unpack_from("<H", data, opt)[0] != 0x10B:
        raise SystemExit(f"set_load_config: {image_path} is not PE32")
    image_base, = struct.unpack_from("<I", data, opt + 28)
    dir_count, = struct.unpack_from("<I", data, opt + 92)
    if dir_count <= LOAD_CONFIG_INDEX:
        raise SystemExit("set_load_config: the data directory has no load-configuration entry")

    rva = symbol_address(open(map_path, encoding="utf-8", errors="replace").read()) - image_base
    table = opt + opt_size
    for i in range(sections):
        vsize, va, raw_size, raw = struct.unpack_from("<IIII", data, table + 40 * i + 8)
        if va <= rva < va + min(vsize, raw_size):
            offset = raw + rva - va
            end = va + min(vsize, raw_size)
            break
    else:
        raise SystemExit(f"set_load_config: {SYMBOL} (RVA {rva:#x}) lies in no section's file data")
    size, = struct.unpack_from("<I", data, offset)
    if size < 64 or rva + size > end:
        raise SystemExit(f"set_load_config: implausible structure size {size}")

    struct.pack_into("<II", data, opt + 96 + 8 * LOAD_CONFIG_INDEX, rva, size)
    checksum_offset = opt + 64
    if struct.unpack_from("<I", data, checksum_offset)[0] != 0:
        struct.pack_into("<I", data, checksum_offset, pe_checksum(bytes(data), checksum_offset))
    with open(image_path, "r+b") as image:
        image.write(data)
    print(f"load configuration at RVA {rva:#x}, {size} bytes")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    main(sys.argv[1], sys.argv[2])
