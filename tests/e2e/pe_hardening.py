#!/usr/bin/env python3
"""Reads the hardening facts of a stripped PE32 image with the help of its
link map (lld's); one fact a line:

    load_config RVA DIRSIZE           data directory entry 10 (hex RVA, size)
    load_config_symbol RVA            where the map puts _load_config_used
    load_config_size N                the structure's own Size field
    dependent_load_flags 0xN          its DependentLoadFlags
    security_cookie 0xN               its SecurityCookie
    guard_initial 0xN                 the value __stack_chk_guard holds in the file
    delay_imports NAME...             the DLLs of the delay-import directory
    guarded N NAME                    for each NAME given: how often the guard's
                                      address occurs in the code of the first
                                      function whose name starts with NAME

    pe_hardening.py IMAGE MAP [NAME...]
"""
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import lld_map  # noqa: E402
import pe  # noqa: E402

DELAY_DESCRIPTOR_SIZE = 32


def c_string(data, offset):
    return bytes(data[offset:data.index(b"\0", offset)]).decode("ascii", "replace")


def main(image_path, map_path, names):
    data = open(image_path, "rb").read()
    sections = lld_map.read(map_path)
    image = pe.PeImage(data)
    assert image.magic == pe.PE32, "not PE32"
    image_base = image.field("ImageBase")
    to_offset = image.rva_to_offset

    rva, size = image.directory(pe.DIR_LOAD_CONFIG)
    print(f"load_config {rva:#x} {size}")
    # i386 C names carry a leading underscore.
    config, _ = lld_map.symbol(sections, "__load_config_used")
    print(f"load_config_symbol {config:#x}" if config is not None else "load_config_symbol none")
    if rva:
        offset = to_offset(rva)
        print(f"load_config_size {pe.u32(data, offset)}")
        print(f"dependent_load_flags {pe.u16(data, offset + 54):#x}")
        print(f"security_cookie {pe.u32(data, offset + 60):#x}")

    guard, _ = lld_map.symbol(sections, "___stack_chk_guard")
    print(f"guard_initial {pe.u32(data, to_offset(guard, 4)):#x}" if guard is not None else "guard_initial none")

    delay_rva, _ = image.directory(pe.DIR_DELAY_IMPORT)
    dlls = []
    at = to_offset(delay_rva) if delay_rva else None
    while at is not None and any(data[at:at + DELAY_DESCRIPTOR_SIZE]):
        dlls.append(c_string(data, to_offset(pe.u32(data, at + 4))))
        at += DELAY_DESCRIPTOR_SIZE
    print("delay_imports " + " ".join(sorted(d.lower() for d in dlls)))

    for name in names:
        function = next((s for s in sections if s.output == ".text"
                         and any(n.startswith(name) for n, _ in s.symbols)), None)
        if function is None or guard is None:
            print(f"guarded 0 {name}")
            continue
        code = data[to_offset(function.rva):to_offset(function.rva) + function.size]
        print(f"guarded {code.count(struct.pack('<I', image_base + guard))} {name}")


if __name__ == "__main__":
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    main(sys.argv[1], sys.argv[2], sys.argv[3:])
