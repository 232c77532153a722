#!/usr/bin/env python3
"""Keeps one copy of each distinct unwind header (CIE) in a linked image.

usage: share_unwind_headers.py IMAGE.exe

Each function of the archive library has its unwind entry in a section of
its own (scripts/compile_split.py), and the assembler gives each such section
its own header: about a thousand copies of a few distinct headers. This
rewrites the image's .eh_frame with one header of each kind, every entry
pointing to it. All pointers in this toolchain's unwind data are relative to
their own position (the headers say so, and the script refuses any other
encoding), so the entries move with adjusted values; nothing else in the
image points into .eh_frame except its start. The section keeps its address
and shrinks in the file; the sections after it move down in the file only,
so no address in the image changes. A set checksum is recomputed.
"""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pe  # noqa: E402

PCREL_SDATA4 = 0x1B
INDIRECT_PCREL_SDATA4 = 0x9B


def fail(message):
    sys.exit(f"share_unwind_headers.py: {message}")


def uleb(data, at):
    value = shift = 0
    while True:
        byte = data[at]
        at += 1
        value |= (byte & 0x7F) << shift
        shift += 7
        if byte < 0x80:
            return value, at


def parse_cie(data, start, length):
    """Where the personality pointer is (or None) and whether entries carry an LSDA."""
    at = start + 9
    end = data.index(b"\0", at)
    augmentation = data[at:end].decode("ascii")
    at = end + 1
    _, at = uleb(data, at)  # code alignment
    _, at = uleb(data, at)  # data alignment (its sign does not matter here)
    at += 1 if data[start + 8] == 1 else 0
    if data[start + 8] != 1:
        _, at = uleb(data, at)
    personality = None
    has_lsda = False
    if not augmentation.startswith("z") or "R" not in augmentation:
        fail(f"unwind header augmentation '{augmentation}' (no position-relative pointers)")
    _, at = uleb(data, at)
    for letter in augmentation[1:]:
        encoding = data[at]
        at += 1
        if letter == "P":
            if encoding not in (PCREL_SDATA4, INDIRECT_PCREL_SDATA4):
                fail(f"personality encoding {encoding:#x}")
            personality = at
            at += 4
        elif letter in "LR":
            if encoding != PCREL_SDATA4:
                fail(f"pointer encoding {encoding:#x} for '{letter}'")
            has_lsda = has_lsda or letter == "L"
        else:
            fail(f"unwind header augmentation '{augmentation}'")
    if at > start + 4 + length:
        fail("an unwind header runs past its end")
    return personality, has_lsda


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    path = sys.argv[1]
    with open(path, "rb") as f:
        img = bytearray(f.read())
    try:
        image = pe.PeImage(img)
    except pe.PeError as e:
        fail(str(e))
    file_align = image.field("FileAlignment")
    # Without a string table the name is cut to 8 characters.
    eh_frame = image.section_named(b".eh_fram", b".eh_frame")
    if eh_frame is None:
        return 0
    rawsize, rawptr = eh_frame.rawsize, eh_frame.rawptr
    if max(s.rawptr + s.rawsize for s in image.sections) != len(img):
        fail("data after the last section")
    data = bytes(img[rawptr:rawptr + eh_frame.file_span])

    # Records in order: (start, length, is_cie, cie_start_for_fde).
    records = []
    pos = 0
    while pos + 4 <= len(data):
        length = struct.unpack_from("<I", data, pos)[0]
        if length == 0:
            break
        if length == 0xFFFFFFFF:
            fail("64-bit unwind records")
        cie_pointer = struct.unpack_from("<I", data, pos + 4)[0]
        records.append((pos, length, cie_pointer == 0, pos + 4 - cie_pointer if cie_pointer else None))
        pos += 4 + length
    terminator = pos
    if terminator + 4 > len(data) or any(data[terminator:terminator + 4]):
        fail("no terminator after the unwind records")

    # One header per distinct content, the personality compared by target.
    cie_info = {}
    canonical = {}
    kept_for = {}
    for start, length, is_cie, _ in records:
        if not is_cie:
            continue
        personality, has_lsda = parse_cie(data, start, length)
        body = bytearray(data[start:start + 4 + length])
        if personality is not None:
            target = personality + struct.unpack_from("<i", data, personality)[0]
            struct.pack_into("<i", body, personality - start, target)
        key = bytes(body)
        cie_info[start] = (personality, has_lsda)
        kept_for[start] = canonical.setdefault(key, start)

    # Lay the records out again and fix every position-relative value.
    out = bytearray()
    new_pos = {}
    for start, length, is_cie, cie in records:
        if is_cie and kept_for[start] != start:
            continue
        new_pos[start] = len(out)
        out += data[start:start + 4 + length]
    moved = lambda old: new_pos[old] - old  # noqa: E731

    def rebase(old_field, new_field):
        value = struct.unpack_from("<i", data, old_field)[0]
        struct.pack_into("<i", out, new_field, value + old_field - new_field)

    for start, length, is_cie, cie in records:
        if start not in new_pos:
            continue
        base = new_pos[start]
        if is_cie:
            personality, _ = cie_info[start]
            if personality is not None:
                rebase(personality, personality + moved(start))
            continue
        if cie not in cie_info:
            fail("an unwind entry points to no header")
        header = kept_for[cie]
        struct.pack_into("<I", out, base + 4, base + 4 - new_pos[header])
        rebase(start + 8, base + 8)  # the function's start
        if cie_info[header][1]:
            _, lsda_at = uleb(data, start + 16)
            if struct.unpack_from("<i", data, lsda_at)[0] != 0:
                rebase(lsda_at, lsda_at + moved(start))
    out += b"\0" * 4  # the terminator
    saved = len(data) - len(out)
    if saved <= 0:
        return 0

    new_rawsize = (len(out) + file_align - 1) // file_align * file_align
    delta = rawsize - new_rawsize
    if delta <= 0:
        return 0
    result = bytearray(img[:rawptr]) + out + b"\0" * (new_rawsize - len(out))
    result += img[rawptr + rawsize:]
    struct.pack_into("<I", result, eh_frame.offset("VirtualSize"), len(out))
    struct.pack_into("<I", result, eh_frame.offset("SizeOfRawData"), new_rawsize)
    for later in image.sections:
        if later.rawptr > rawptr and later.rawsize:
            struct.pack_into("<I", result, later.offset("PointerToRawData"), later.rawptr - delta)
    struct.pack_into("<I", result, image.field_offset("SizeOfInitializedData"),
                     image.field("SizeOfInitializedData") - delta)
    pe.update_checksum(result, image.field_offset("CheckSum"))
    with open(path, "wb") as f:
        f.write(result)
    print(f"unwind headers shared: {delta} bytes less")
    return 0


if __name__ == "__main__":
    sys.exit(main())
