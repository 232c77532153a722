#!/usr/bin/env python3
"""Writes a 7z archive of stored (Copy method) files whose names are taken
verbatim, so that tests can build archives that 7-Zip's own tools refuse to
make: names with "..", drive letters, leading separators, colons.

usage: make_7z.py OUT.7z NAME=SOURCEFILE [NAME=SOURCEFILE ...]
       NAME may also be NAME@ATTR=SOURCEFILE with a hexadecimal attribute
       value (for example 0xA1FF8020 for a Unix symbolic link)
"""
import struct
import sys
import zlib


def number(value):
    """7z variable-length number: leading one bits of the first byte count
    the extra bytes that follow, little-endian."""
    for extra in range(9):
        if extra < 8 and value < (1 << (7 * (extra + 1))):
            high = value >> (8 * extra)
            first = (0xFF << (8 - extra)) & 0xFF | high
            return bytes([first]) + value.to_bytes(8, 'little')[:extra]
    return b'\xff' + value.to_bytes(8, 'little')


def build(entries):
    data = b''.join(content for _, _, content in entries)
    header = bytearray(b'\x01\x04')                      # Header, MainStreamsInfo
    header += b'\x06' + number(0) + number(len(entries))  # PackInfo
    header += b'\x09' + b''.join(number(len(c)) for _, _, c in entries) + b'\x00'
    header += b'\x07\x0b' + number(len(entries)) + b'\x00'  # UnpackInfo, folders
    header += b'\x01\x00' * len(entries)                  # one Copy coder each
    header += b'\x0c' + b''.join(number(len(c)) for _, _, c in entries)
    header += b'\x0a\x01' + b''.join(struct.pack('<I', zlib.crc32(c)) for _, _, c in entries)
    header += b'\x00\x00'                                 # end UnpackInfo, StreamsInfo
    header += b'\x05' + number(len(entries))              # FilesInfo
    names = b'\x00' + b''.join(n.encode('utf-16-le') + b'\x00\x00' for n, _, _ in entries)
    header += b'\x11' + number(len(names)) + names
    if any(attr is not None for _, attr, _ in entries):
        attrs = b'\x01\x00' + b''.join(struct.pack('<I', 0x20 if a is None else a) for _, a, _ in entries)
        header += b'\x15' + number(len(attrs)) + attrs
    header += b'\x00\x00'                                 # end FilesInfo, Header
    start = struct.pack('<QQI', len(data), len(header), zlib.crc32(header))
    return (b'7z\xbc\xaf\x27\x1c\x00\x04' + struct.pack('<I', zlib.crc32(start)) + start
            + data + bytes(header))


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    entries = []
    for spec in argv[2:]:
        name, source = spec.rsplit('=', 1)
        attr = None
        if '@' in name:
            name, attr = name.rsplit('@', 1)
            attr = int(attr, 16)
        with open(source, 'rb') as f:
            entries.append((name, attr, f.read()))
    with open(argv[1], 'wb') as f:
        f.write(build(entries))


if __name__ == '__main__':
    main(sys.argv)
