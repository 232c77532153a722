#!/usr/bin/env python3
"""Reads the hardening facts of a stripped PE32 image with the help of its
link map; one fact a line:

    load_config RVA DIRSIZE           data directory entry 10 (hex RVA, size)
    load_config_symbol RVA            where the map puts _load_config_used
    load_config_size N                the structure's own Size field
    dependent_load_flags 0xN          its DependentLoadFlags
    security_cookie 0xN               its SecurityCookie
    guard_defined_in OBJECT           the map's object that defines __stack_chk_guard
    guarded N NAME                    for each NAME given: how often the guard's
                                      address occurs in the code of the first
                                      function whose name starts with NAME

    pe_hardening.py IMAGE MAP [NAME...]
"""
import os
import re
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import pe  # noqa: E402


def main(image_path, map_path, names):
    data = open(image_path, "rb").read()
    link_map = open(map_path, encoding="utf-8", errors="replace").read()
    image = pe.PeImage(data)
    assert image.magic == pe.PE32, "not PE32"
    image_base = image.field("ImageBase")
    to_offset = image.rva_to_offset

    def symbol(name):
        found = re.search(r"^\s+0x([0-9a-f]+)\s+" + re.escape(name) + r"$", link_map, re.M)
        return int(found.group(1), 16) if found else None

    rva, size = image.directory(pe.DIR_LOAD_CONFIG)
    print(f"load_config {rva:#x} {size}")
    config = symbol("_load_config_used")
    print(f"load_config_symbol {config - image_base:#x}" if config else "load_config_symbol none")
    if rva:
        offset = to_offset(rva)
        print(f"load_config_size {pe.u32(data, offset)}")
        print(f"dependent_load_flags {pe.u16(data, offset + 54):#x}")
        print(f"security_cookie {pe.u32(data, offset + 60):#x}")

    # A symbol's section: ".text$mangled", then "0xADDRESS 0xSIZE object", then
    # "0xADDRESS name" lines.
    guard = symbol("__stack_chk_guard")
    owner = re.search(r"^ \.(?:data|bss)\$__stack_chk_guard\n\s+0x[0-9a-f]+\s+0x[0-9a-f]+ (\S+)", link_map, re.M)
    print(f"guard_defined_in {owner.group(1) if owner else 'none'}")
    for name in names:
        found = re.search(r"^ \.text\$\S+\n\s+0x([0-9a-f]+)\s+0x([0-9a-f]+) \S+\n\s+0x[0-9a-f]+\s+"
                          + re.escape(name), link_map, re.M)
        if not found or guard is None:
            print(f"guarded 0 {name}")
            continue
        start = to_offset(int(found.group(1), 16) - image_base)
        code = data[start:start + int(found.group(2), 16)]
        print(f"guarded {code.count(struct.pack('<I', guard))} {name}")


if __name__ == "__main__":
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    main(sys.argv[1], sys.argv[2], sys.argv[3:])
