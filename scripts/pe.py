"""Reads a PE image held in memory: its headers, section table, data
directories and resource tree.

The size table and the tests' helpers read images through this module; it
only reads (no step of the build rewrites a linked image). Every read is
checked against the data: a damaged image raises PeError, never a struct
error or a read past its end.
"""
import struct

PE32, PE32_PLUS = 0x10B, 0x20B

# Data directory indexes.
DIR_RESOURCE, DIR_CERTIFICATE, DIR_BASERELOC, DIR_LOAD_CONFIG, DIR_DELAY_IMPORT = 2, 4, 5, 10, 13

SECTION_HEADER_SIZE = 40
# Optional-header fields by offset from its start, and their struct format.
_PE32_FIELDS = {
    "SizeOfInitializedData": (8, "<I"),
    "ImageBase": (28, "<I"),
    "SectionAlignment": (32, "<I"),
    "FileAlignment": (36, "<I"),
    "SizeOfImage": (56, "<I"),
    "SizeOfHeaders": (60, "<I"),
    "CheckSum": (64, "<I"),
    "NumberOfRvaAndSizes": (92, "<I"),
}
# PE32+ drops BaseOfData and widens ImageBase and the four stack and heap sizes.
_PE32_PLUS_FIELDS = dict(_PE32_FIELDS, ImageBase=(24, "<Q"), NumberOfRvaAndSizes=(108, "<I"))
_LAYOUTS = {PE32: (_PE32_FIELDS, 96), PE32_PLUS: (_PE32_PLUS_FIELDS, 112)}

_HIGH_BIT = 0x80000000
# Type, name, language.
_RESOURCE_LEVELS = 3


class PeError(ValueError):
    """The data is no PE image, or a structure lies outside it."""


def _read(data, fmt, at):
    size = struct.calcsize(fmt)
    if at < 0 or at + size > len(data):
        raise PeError(f"{size} bytes at {at:#x} lie outside the {len(data)}-byte image")
    return struct.unpack_from(fmt, data, at)


def u16(data, at):
    return _read(data, "<H", at)[0]


def u32(data, at):
    return _read(data, "<I", at)[0]


class Section:
    def __init__(self, data, header):
        self.header = header  # file offset of its 40-byte header
        self.name = bytes(data[header:header + 8]).rstrip(b"\0")
        self.vsize, self.va, self.rawsize, self.rawptr = _read(data, "<IIII", header + 8)
        self.characteristics = u32(data, header + 36)

    @property
    def file_span(self):
        """How many bytes from its start the file holds: the raw data, but
        not the alignment padding beyond the virtual size."""
        return min(self.vsize, self.rawsize)


class ResourceItem:
    def __init__(self, path, entry, rva, size, codepage):
        self.path = path  # (type, name, language): an int ID or a str name each
        self.entry = entry  # file offset of its 16-byte data entry
        self.rva, self.size, self.codepage = rva, size, codepage


class PeImage:
    def __init__(self, data):
        self.data = data
        if bytes(data[:2]) != b"MZ":
            raise PeError("not a PE image (no MZ header)")
        pe = u32(data, 0x3C)
        if bytes(data[pe:pe + 4]) != b"PE\0\0":
            raise PeError("not a PE image (no PE signature)")
        self.file_header = pe + 4
        self.machine, self.section_count = _read(data, "<HH", self.file_header)
        self.symbol_table = u32(data, self.file_header + 8)  # PointerToSymbolTable
        self.optional_header = self.file_header + 20
        self.magic = u16(data, self.optional_header)
        if self.magic not in _LAYOUTS:
            raise PeError(f"unknown optional header magic {self.magic:#x}")
        self._fields, self._directories = _LAYOUTS[self.magic]
        self.section_table = self.optional_header + u16(data, self.file_header + 16)
        self.sections = [Section(data, self.section_table + SECTION_HEADER_SIZE * i)
                         for i in range(self.section_count)]

    def field_offset(self, name):
        """File offset of an optional-header field ("CheckSum", "SizeOfImage", ...)."""
        return self.optional_header + self._fields[name][0]

    def field(self, name):
        return _read(self.data, self._fields[name][1], self.field_offset(name))[0]

    @property
    def directory_count(self):
        return self.field("NumberOfRvaAndSizes")

    def directory_offset(self, index):
        """File offset of data directory entry `index` (its RVA, then its size)."""
        return self.optional_header + self._directories + 8 * index

    def directory(self, index):
        """(rva, size) of a data directory entry; an entry beyond
        NumberOfRvaAndSizes reads as (0, 0)."""
        if index >= self.directory_count:
            return 0, 0
        return _read(self.data, "<II", self.directory_offset(index))

    def section_named(self, *names):
        return next((s for s in self.sections if s.name in names), None)

    def rva_to_offset(self, rva, length=0):
        """File offset of `length` bytes at `rva`: the first section whose
        file data holds `rva` must hold them all."""
        for s in self.sections:
            if s.va <= rva < s.va + s.file_span:
                if rva + length > s.va + s.file_span:
                    raise PeError(f"{length} bytes at RVA {rva:#x} run past the file data of {s.name!r}")
                offset = s.rawptr + rva - s.va
                if offset + length > len(self.data):
                    raise PeError(f"section {s.name!r} lies outside the {len(self.data)}-byte image")
                return offset
        raise PeError(f"RVA {rva:#x} lies in no section's file data")

    def holds(self, rva, length):
        try:
            self.rva_to_offset(rva, length)
            return True
        except PeError:
            return False

    def resource_tree(self):
        """The resource items in the order of the tree, and where its
        directories, names and data entries end (from the tree's start)."""
        rva, _ = self.directory(DIR_RESOURCE)
        if not rva:
            return [], 0
        base = self.rva_to_offset(rva)
        items = []
        tables_end = 0

        def walk(offset, path):
            nonlocal tables_end
            named, ids = _read(self.data, "<HH", base + offset + 12)
            tables_end = max(tables_end, offset + 16 + 8 * (named + ids))
            for k in range(named + ids):
                name, target = _read(self.data, "<II", base + offset + 16 + 8 * k)
                if name & _HIGH_BIT:
                    at = name & ~_HIGH_BIT
                    length = u16(self.data, base + at)
                    key = bytes(_read(self.data, f"<{2 * length}s", base + at + 2)[0]).decode("utf-16-le")
                    tables_end = max(tables_end, at + 2 + 2 * length)
                else:
                    key = name
                # A directory below the language level would be a loop or damage.
                if bool(target & _HIGH_BIT) != (len(path) < _RESOURCE_LEVELS - 1):
                    raise PeError(f"resource tree entry {path + (key,)} at the wrong level")
                if target & _HIGH_BIT:
                    walk(target & ~_HIGH_BIT, path + (key,))
                else:
                    data_rva, size, codepage = _read(self.data, "<III", base + target)
                    items.append(ResourceItem(path + (key,), base + target, data_rva, size, codepage))
                    tables_end = max(tables_end, target + 16)

        walk(0, ())
        return items, tables_end

    def resources(self):
        return self.resource_tree()[0]
