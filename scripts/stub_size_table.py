#!/usr/bin/env python3
"""Where the stub's bytes come from: a per-part table out of lld's map.

usage: stub_size_table.py STUB.exe STUB.map

Each input section counts with the bytes of it that the file holds (not the
zero-filled tail of a data section), under the part its object comes from:
our code and the archive library (link-time optimised into one object, so
the map cannot tell them apart), the C++ runtime, libgcc, the C runtime,
import thunks, resources; unwind and exception tables of every origin make
a part of their own. What the linker makes itself (import and
delay-import tables, their thunks, padding between input sections) is the
rest of each section; base relocations are a section of their own; what is
left of the file size is headers and section alignment.
"""
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import lld_map  # noqa: E402
import pe  # noqa: E402

# First matching rule names the part. Objects are named as lld prints them:
# a path for an object file, the member's name alone for an archive's.
PARTS = [
    ("resources", re.compile(r"\.rc\.res$")),
    ("our code", re.compile(r"CMakeFiles/sfx(stub|runtime|core)\.dir/|CMakeFiles/orelib_core\.dir/")),
    ("archive library", re.compile(r"CMakeFiles/sevenzip\.dir/")),
    ("our code and archive library (LTO)", re.compile(r"\.lto\.obj$")),
    ("C runtime", re.compile(r"(^|/)crt\w*\.o$|^lib32_lib(mingw|msvcrt|moldname|uuid)\w*-\w+\.o$")),
    ("import thunks", re.compile(r"^lib\w+?(s\d+|h|t)\.o$")),
    ("libgcc", re.compile(r"^(unwind-[\w-]+|_\w+|emutls|ssp|[\w-]+-chk)\.o$")),
    ("C++ runtime", re.compile(r"\.o$")),  # libstdc++ and libsupc++: what is left of the members
]
RELOCATIONS = b".reloc"
# The unwinder's tables, counted apart whatever their origin: link-time
# optimisation leaves one object whose tables cover our code and the library's.
UNWIND = "unwind and exception tables"
UNWIND_SECTIONS = (".eh_frame", ".gcc_except_table")


def part_of(origin):
    return next((name for name, pattern in PARTS if pattern.search(origin)), "other")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    exe, map_path = sys.argv[1], sys.argv[2]
    with open(exe, "rb") as f:
        data = f.read()
    image = pe.PeImage(data)
    _, inputs = lld_map.read_all(map_path)
    sizes = {}
    counted_in = {s.va: 0 for s in image.sections}
    for section in image.sections:
        held_end = section.va + section.file_span
        for piece in inputs:
            if not section.va <= piece.rva < section.va + max(section.vsize, 1):
                continue
            held = max(0, min(piece.rva + piece.size, held_end) - piece.rva)
            part = UNWIND if piece.output in UNWIND_SECTIONS else part_of(piece.origin)
            sizes[part] = sizes.get(part, 0) + held
            counted_in[section.va] += held
    for section in image.sections:
        rest = section.file_span - counted_in[section.va]
        part = "base relocations" if section.name == RELOCATIONS else "linker-made: imports, padding"
        sizes[part] = sizes.get(part, 0) + max(rest, 0)
    total = len(data)
    sizes["headers, alignment"] = max(total - sum(sizes.values()), 0)
    print(f"stub size: {total} bytes ({total / 1024:.1f} KiB)")
    print(f"  {'part':<36}{'bytes':>10}{'share':>8}")
    for name, size in sorted(sizes.items(), key=lambda kv: -kv[1]):
        if size:
            print(f"  {name:<36}{size:>10}{100.0 * size / total:>7.1f}%")


if __name__ == "__main__":
    main()
