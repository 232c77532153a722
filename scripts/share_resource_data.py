#!/usr/bin/env python3
"""Stores identical resource data once in a linked image.

usage: share_resource_data.py IMAGE.exe

Several languages carry the same texts (the English table under English,
en-US, en-GB, en-CA and the neutral language; the Spanish one under both of
its language IDs). Every language keeps its own entry in the resource
directory; the entries of identical items point to one copy of the bytes.
The data area at the end of the resource section is packed again, the
section shrinks, and the sections after it (the relocations) move down. The
image is rewritten in place (a set checksum is recomputed); an image with
nothing to share is left as it is.
"""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from set_load_config import pe_checksum  # noqa: E402

RESOURCE_DIR, BASERELOC_DIR = 2, 5


def align(value, to):
    return (value + to - 1) // to * to


def read(path):
    with open(path, "rb") as f:
        return bytearray(f.read())


def fail(message):
    sys.exit(f"share_resource_data.py: {message}")


def headers(img):
    pe = struct.unpack_from("<I", img, 0x3C)[0]
    if img[pe:pe + 4] != b"PE\0\0":
        fail("not a PE image")
    coff = pe + 4
    count = struct.unpack_from("<H", img, coff + 2)[0]
    symbols = struct.unpack_from("<I", img, coff + 8)[0]
    opt_size = struct.unpack_from("<H", img, coff + 16)[0]
    opt = coff + 20
    if struct.unpack_from("<H", img, opt)[0] != 0x10B:
        fail("not a 32-bit image")
    if symbols:
        fail("the image still has a symbol table")
    return opt, opt + opt_size, count


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    path = sys.argv[1]
    img = read(path)
    opt, table, count = headers(img)
    section_align, file_align = struct.unpack_from("<II", img, opt + 32)
    dirs = opt + 96
    sections = []
    for i in range(count):
        at = table + 40 * i
        vsize, va, rawsize, rawptr = struct.unpack_from("<IIII", img, at + 8)
        sections.append({"at": at, "name": bytes(img[at:at + 8]).rstrip(b"\0"), "vsize": vsize,
                         "va": va, "rawsize": rawsize, "rawptr": rawptr})
    rsrc_va = struct.unpack_from("<I", img, dirs + 8 * RESOURCE_DIR)[0]
    index = next((i for i, s in enumerate(sections) if s["va"] == rsrc_va), None)
    if index is None:
        fail("no section starts at the resource directory")
    rsrc = sections[index]
    base = rsrc["rawptr"]
    end_of_image_data = max(s["rawptr"] + s["rawsize"] for s in sections)
    if end_of_image_data != len(img):
        fail("data after the last section")

    # Walk the directory: data entries, and where the directory structures end.
    entries = []  # file offsets of the 16-byte data entries
    structures_end = 0

    def walk(offset):
        nonlocal structures_end
        named, ids = struct.unpack_from("<HH", img, base + offset + 12)
        structures_end = max(structures_end, offset + 16 + 8 * (named + ids))
        for k in range(named + ids):
            name, target = struct.unpack_from("<II", img, base + offset + 16 + 8 * k)
            if name & 0x80000000:
                length = struct.unpack_from("<H", img, base + (name & 0x7FFFFFFF))[0]
                structures_end = max(structures_end, (name & 0x7FFFFFFF) + 2 + 2 * length)
            if target & 0x80000000:
                walk(target & 0x7FFFFFFF)
            else:
                entries.append(base + target)
                structures_end = max(structures_end, target + 16)

    walk(0)
    blobs = []
    for e in entries:
        rva, size, codepage = struct.unpack_from("<III", img, e)
        start = rva - rsrc["va"]
        if start < structures_end or start + size > rsrc["vsize"]:
            fail("resource data outside the data area")
        blobs.append((e, start, size, codepage))
    data_start = min(b[1] for b in blobs)

    # Lay the distinct items out again in their first order, 8-byte aligned.
    placed = {}
    packed = bytearray()
    new_rva = {}
    for e, start, size, codepage in sorted(blobs, key=lambda b: b[1]):
        content = bytes(img[base + start:base + start + size])
        key = (content, codepage)
        if key not in placed:
            packed += b"\0" * (align(len(packed), 8) - len(packed))
            placed[key] = data_start + len(packed)
            packed += content
        new_rva[e] = rsrc["va"] + placed[key]
    new_vsize = data_start + len(packed)
    if new_vsize >= rsrc["vsize"]:
        return 0  # nothing shared

    new_rawsize = align(new_vsize, file_align)
    section_bytes = bytearray(img[base:base + data_start]) + packed
    section_bytes += b"\0" * (new_rawsize - len(section_bytes))
    for e, rva in new_rva.items():
        struct.pack_into("<I", section_bytes, e - base, rva)

    # Rebuild the file: headers, the sections before, the new resource
    # section, the later sections moved down (file and memory).
    out = bytearray(img[:base]) + section_bytes
    next_raw = base + new_rawsize
    next_va = align(rsrc["va"] + new_vsize, section_align)
    moves = []  # (old va, old end, delta)
    for s in sections[index + 1:]:
        if s["rawptr"] < base:
            fail("sections out of file order")
        out += img[s["rawptr"]:s["rawptr"] + s["rawsize"]]
        moves.append((s["va"], s["va"] + align(s["vsize"], section_align), next_va - s["va"]))
        struct.pack_into("<I", out, s["at"] + 12, next_va)
        struct.pack_into("<I", out, s["at"] + 20, next_raw if s["rawsize"] else 0)
        next_raw += s["rawsize"]
        next_va = align(next_va + s["vsize"], section_align)
    struct.pack_into("<II", out, rsrc["at"] + 8, new_vsize, rsrc["va"])
    struct.pack_into("<I", out, rsrc["at"] + 16, new_rawsize)

    # Data directories: the resource size, and whatever lives in a moved section.
    count_dirs = struct.unpack_from("<I", img, opt + 92)[0]
    for d in range(count_dirs):
        rva, size = struct.unpack_from("<II", img, dirs + 8 * d)
        if d == RESOURCE_DIR:
            struct.pack_into("<I", out, dirs + 8 * d + 4, new_vsize)
            continue
        for start, stop, delta in moves:
            if rva and start <= rva < stop:
                struct.pack_into("<I", out, dirs + 8 * d, rva + delta)
    init_data = struct.unpack_from("<I", img, opt + 8)[0]
    struct.pack_into("<I", out, opt + 8, init_data - (rsrc["rawsize"] - new_rawsize))
    struct.pack_into("<I", out, opt + 56, next_va)  # SizeOfImage
    if struct.unpack_from("<I", img, opt + 64)[0]:
        struct.pack_into("<I", out, opt + 64, pe_checksum(bytes(out), opt + 64))
    with open(path, "wb") as f:
        f.write(out)
    print(f"resource data shared: {len(img) - len(out)} bytes less")
    return 0


if __name__ == "__main__":
    sys.exit(main())
