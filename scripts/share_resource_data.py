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
import pe  # noqa: E402


def align(value, to):
    return (value + to - 1) // to * to


def read(path):
    with open(path, "rb") as f:
        return bytearray(f.read())


def fail(message):
    sys.exit(f"share_resource_data.py: {message}")


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    path = sys.argv[1]
    img = read(path)
    try:
        image = pe.PeImage(img)
        if image.magic != pe.PE32:
            fail("not a 32-bit image")
        if image.symbol_table:
            fail("the image still has a symbol table")
        section_align, file_align = image.field("SectionAlignment"), image.field("FileAlignment")
        sections = image.sections
        rsrc_va = image.directory(pe.DIR_RESOURCE)[0]
        index = next((i for i, s in enumerate(sections) if s.va == rsrc_va), None)
        if index is None:
            fail("no section starts at the resource directory")
        rsrc = sections[index]
        base = rsrc.rawptr
        end_of_image_data = max(s.rawptr + s.rawsize for s in sections)
        if end_of_image_data != len(img):
            fail("data after the last section")
        # The data entries, and where the directory structures end.
        items, structures_end = image.resource_tree()
    except pe.PeError as e:
        fail(str(e))

    blobs = []
    for item in items:
        start = item.rva - rsrc.va
        if start < structures_end or start + item.size > rsrc.vsize:
            fail("resource data outside the data area")
        blobs.append((item.entry, start, item.size, item.codepage))
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
        new_rva[e] = rsrc.va + placed[key]
    new_vsize = data_start + len(packed)
    if new_vsize >= rsrc.vsize:
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
    next_va = align(rsrc.va + new_vsize, section_align)
    moves = []  # (old va, old end, delta)
    for s in sections[index + 1:]:
        if s.rawptr < base:
            fail("sections out of file order")
        out += img[s.rawptr:s.rawptr + s.rawsize]
        moves.append((s.va, s.va + align(s.vsize, section_align), next_va - s.va))
        struct.pack_into("<I", out, s.offset("VirtualAddress"), next_va)
        struct.pack_into("<I", out, s.offset("PointerToRawData"), next_raw if s.rawsize else 0)
        next_raw += s.rawsize
        next_va = align(next_va + s.vsize, section_align)
    struct.pack_into("<I", out, rsrc.offset("VirtualSize"), new_vsize)
    struct.pack_into("<I", out, rsrc.offset("SizeOfRawData"), new_rawsize)

    # Data directories: the resource size, and whatever lives in a moved section.
    for d in range(image.directory_count):
        rva, _ = image.directory(d)
        if d == pe.DIR_RESOURCE:
            struct.pack_into("<I", out, image.directory_offset(d) + 4, new_vsize)
            continue
        for start, stop, delta in moves:
            if rva and start <= rva < stop:
                struct.pack_into("<I", out, image.directory_offset(d), rva + delta)
    struct.pack_into("<I", out, image.field_offset("SizeOfInitializedData"),
                     image.field("SizeOfInitializedData") - (rsrc.rawsize - new_rawsize))
    struct.pack_into("<I", out, image.field_offset("SizeOfImage"), next_va)
    pe.update_checksum(out, image.field_offset("CheckSum"))
    with open(path, "wb") as f:
        f.write(out)
    print(f"resource data shared: {len(img) - len(out)} bytes less")
    return 0


if __name__ == "__main__":
    sys.exit(main())
