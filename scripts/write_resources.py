#!/usr/bin/env python3
"""Writes compiled resources (.res) as an i386 COFF object whose resource
section stores identical data once.

usage: write_resources.py INPUT.res OUTPUT.obj

Several languages of one resource carry the same bytes (the English string
tables under English, en-US, en-GB, en-CA and the neutral language; the
Spanish ones under both Spanish IDs). Every language keeps its own entry in
the resource directory, so every lookup finds what it found before; the
entries of identical items of one type and name point to one copy of the
bytes. Items of different resources are never shared: the packager writes
into some of them (the recorded size, the digest).

The linker takes a single resource object as it is: the directory is laid
out here as the loader reads it (named entries first, by name; then IDs in
ascending order), and each data entry's address is a relocation against the
section.
"""
import struct
import sys

DIR32NB = 7  # IMAGE_REL_I386_DIR32NB: the target's address relative to the image
RSRC_FLAGS = 0xC0300040  # initialised data, read/write, 4-byte aligned
HIGH_BIT = 0x80000000


def align(value, to):
    return (value + to - 1) // to * to


def read_key(data, at):
    """An ordinal (0xFFFF then the ID) or a NUL-terminated UTF-16 name."""
    if struct.unpack_from("<H", data, at)[0] == 0xFFFF:
        return struct.unpack_from("<H", data, at + 2)[0], at + 4
    end = at
    while struct.unpack_from("<H", data, end)[0]:
        end += 2
    return data[at:end].decode("utf-16-le"), end + 2


def read_res(data):
    """{(type, name): {language: bytes}} in file order."""
    tree = {}
    at = 0
    while at + 8 <= len(data):
        size, header_size = struct.unpack_from("<II", data, at)
        rtype, after = read_key(data, at + 8)
        name, after = read_key(data, after)
        language = struct.unpack_from("<H", data, align(after, 4) + 6)[0]
        body = data[at + header_size:at + header_size + size]
        if len(body) != size:
            sys.exit("write_resources.py: a resource runs past the end of the file")
        if size or rtype != 0:  # the leading empty entry marks the 32-bit format
            languages = tree.setdefault((rtype, name), {})
            if language in languages:
                sys.exit(f"write_resources.py: {rtype}/{name}/{language} defined twice")
            languages[language] = body
        at = align(at + header_size + size, 4)
    return tree


def ordered(keys):
    """Named entries first, by name, then IDs ascending: the loader searches both halves in order."""
    names = sorted((k for k in keys if isinstance(k, str)), key=lambda s: s.encode("utf-16-be"))
    return names + sorted(k for k in keys if isinstance(k, int))


def layout(tree):
    """The section's bytes and the offsets of its data entries' address fields."""
    types = {}
    for (rtype, name), languages in tree.items():
        types.setdefault(rtype, {})[name] = languages

    # Directory tables first (root, types' name tables, language tables), then
    # the data entries, the names and the data.
    tables = []  # (offset, [(key, child)]) with child a table index or an item key

    def add_table(entries):
        tables.append(entries)
        return len(tables) - 1

    root_entries = []
    add_table(root_entries)
    items = []
    for rtype in ordered(types):
        name_entries = []
        root_entries.append((rtype, ("table", add_table(name_entries))))
        for name in ordered(types[rtype]):
            language_entries = []
            name_entries.append((name, ("table", add_table(language_entries))))
            for language in sorted(types[rtype][name]):
                language_entries.append((language, ("item", len(items))))
                items.append((rtype, name, language))

    table_offsets = []
    at = 0
    for entries in tables:
        table_offsets.append(at)
        at += 16 + 8 * len(entries)
    entries_at = at
    at += 16 * len(items)
    strings = {}
    for entries in tables:
        for key, _ in entries:
            if isinstance(key, str) and key not in strings:
                strings[key] = at
                at += 2 + 2 * len(key)

    data_at = {}  # (type, name, bytes) -> offset: identical languages share
    blobs = bytearray()
    data_start = align(at, 8)
    item_data = []
    for rtype, name, language in items:
        body = tree[(rtype, name)][language]
        key = (rtype, name, body)
        if key not in data_at:
            blobs += b"\0" * (align(len(blobs), 8) - len(blobs))
            data_at[key] = data_start + len(blobs)
            blobs += body
        item_data.append((data_at[key], len(body)))

    out = bytearray(data_start) + blobs
    for index, entries in enumerate(tables):
        base = table_offsets[index]
        named = sum(isinstance(key, str) for key, _ in entries)
        struct.pack_into("<IIHHHH", out, base, 0, 0, 0, 0, named, len(entries) - named)
        for k, (key, (kind, child)) in enumerate(entries):
            word = HIGH_BIT | strings[key] if isinstance(key, str) else key
            target = HIGH_BIT | table_offsets[child] if kind == "table" else entries_at + 16 * child
            struct.pack_into("<II", out, base + 16 + 8 * k, word, target)
    for key, offset in strings.items():
        struct.pack_into(f"<H{2 * len(key)}s", out, offset, len(key), key.encode("utf-16-le"))
    relocations = []
    for index, (offset, size) in enumerate(item_data):
        struct.pack_into("<IIII", out, entries_at + 16 * index, offset, size, 0, 0)
        relocations.append(entries_at + 16 * index)
    return bytes(out), relocations


def coff_object(section, relocations):
    header_size, section_header_size = 20, 40
    raw_at = header_size + section_header_size
    relocations_at = raw_at + len(section)
    symbols_at = relocations_at + 10 * len(relocations)
    out = bytearray(struct.pack("<HHIIIHH", 0x14C, 1, 0, symbols_at, 1, 0, 0))
    out += struct.pack("<8sIIIIIIHHI", b".rsrc", 0, 0, len(section), raw_at, relocations_at, 0,
                       len(relocations), 0, RSRC_FLAGS)
    out += section
    for at in relocations:
        out += struct.pack("<IIH", at, 0, DIR32NB)
    out += struct.pack("<8sIhHBB", b".rsrc", 0, 1, 0, 3, 0)  # the section's own static symbol
    out += struct.pack("<I", 4)  # an empty string table
    return bytes(out)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[1], "rb") as f:
        tree = read_res(f.read())
    section, relocations = layout(tree)
    with open(sys.argv[2], "wb") as f:
        f.write(coff_object(section, relocations))


if __name__ == "__main__":
    main()
