#!/usr/bin/env python3
"""Lists the resources of a PE file: one line per item,
"type name language size fileoffset"; with a second argument "type/name/language"
it writes that item's bytes after the list instead; with "--hash" each line
is "type name language size sha256" (comparable between files).

Types and names are printed as numbers or as their strings. Used by the
end-to-end tests to look into the built stub without running it.
"""
import hashlib
import struct
import sys


def main(path):
    data = open(path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[pe:pe + 4] == b"PE\0\0", "not a PE file"
    sections = struct.unpack_from("<H", data, pe + 6)[0]
    opt_size = struct.unpack_from("<H", data, pe + 20)[0]
    opt = pe + 24
    magic = struct.unpack_from("<H", data, opt)[0]
    dirs = opt + (96 if magic == 0x10B else 112)
    rsrc_rva = struct.unpack_from("<I", data, dirs + 2 * 8)[0]
    table = opt + opt_size

    def to_offset(rva):
        for i in range(sections):
            s = table + 40 * i
            vsize, va, rawsize, raw = struct.unpack_from("<IIII", data, s + 8)
            if va <= rva < va + max(vsize, rawsize):
                return raw + rva - va
        raise ValueError("rva outside sections")

    base = to_offset(rsrc_rva)

    def entries(off):
        named, ids = struct.unpack_from("<HH", data, off + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", data, off + 16 + 8 * i)
            if name & 0x80000000:
                p = base + (name & 0x7FFFFFFF)
                n = struct.unpack_from("<H", data, p)[0]
                key = data[p + 2:p + 2 + 2 * n].decode("utf-16-le")
            else:
                key = str(name)
            yield key, target

    for rtype, t1 in entries(base):
        for rname, t2 in entries(base + (t1 & 0x7FFFFFFF)):
            for lang, t3 in entries(base + (t2 & 0x7FFFFFFF)):
                rva, size = struct.unpack_from("<II", data, base + t3)
                if len(sys.argv) > 2 and sys.argv[2] == "--hash":
                    item = data[to_offset(rva):to_offset(rva) + size]
                    print(rtype, rname, lang, size, hashlib.sha256(item).hexdigest())
                    continue
                print(rtype, rname, lang, size, to_offset(rva))
                if len(sys.argv) > 2 and sys.argv[2] == f"{rtype}/{rname}/{lang}":
                    sys.stdout.flush()
                    sys.stdout.buffer.write(data[to_offset(rva):to_offset(rva) + size])
                    return


if __name__ == "__main__":
    main(sys.argv[1])
