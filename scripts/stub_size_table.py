#!/usr/bin/env python3
"""Where the stub's bytes come from: a per-part table out of the linker's map.

usage: stub_size_table.py STUB.exe STUB.map

Input sections are summed by the archive or object they come from (our code,
the archive library, the C++ runtime, the C runtime, libgcc, winpthread,
import thunks); the resource section is read from the image itself; what is
left of the file size is headers and section alignment.
"""
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pe  # noqa: E402

# First matching rule names the part; paths are as the linker printed them.
PARTS = [
    ("our code", re.compile(r"(CMakeFiles/sfx(stub|runtime)\.dir/|libsfxcore\.a|liborelib_core\.a)")),
    ("archive library", re.compile(r"libsevenzip\.a")),
    ("C++ runtime", re.compile(r"lib(std|sup)c\+\+\.a")),
    ("winpthread", re.compile(r"libwinpthread")),
    ("libgcc", re.compile(r"libgcc(_eh)?\.a|libssp")),
    ("C runtime", re.compile(r"(crt\w*\.o|libmingw\w*\.a|libmsvcrt\w*\.a|libmoldname\.a)")),
    ("import thunks", re.compile(r"(lib\w+\.a\(|^dll stuff)")),
]
# Sections that take no room in the file, or are not in the image at all.
SKIPPED = re.compile(r"^\.(bss|debug|stab|comment|drectve)")
LINE = re.compile(r"^ (\.\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")


def part_sizes(map_path):
    sizes = {name: 0 for name, _ in PARTS}
    sizes["other"] = 0
    in_memory_map = False
    pending = None  # a section name the linker put on a line of its own
    with open(map_path, encoding="utf-8", errors="replace") as lines:
        for raw in lines:
            line = raw.rstrip("\n")
            if line.startswith("Linker script and memory map"):
                in_memory_map = True
                continue
            if not in_memory_map:
                continue
            name_only = re.match(r"^ (\.\S+)$", line)
            if name_only:
                pending = name_only.group(1)
                continue
            m = LINE.match(line)
            if not m:
                pending = None
                continue
            section = m.group(1) or pending
            pending = None
            if not section or SKIPPED.match(section) or section.startswith(".rsrc"):
                continue
            size = int(m.group(3), 16)
            origin = m.group(4)
            if int(m.group(2), 16) == 0 and size == 0:
                continue
            for name, pattern in PARTS:
                if pattern.search(origin):
                    sizes[name] += size
                    break
            else:
                sizes["other"] += size
    return sizes


def section_bytes(image, name):
    """The bytes of the named section's contents that the file holds."""
    section = image.section_named(name)
    return section.file_span if section else 0


def unwind_bytes_in_map(map_path):
    total = 0
    in_memory_map = False
    pending = None
    with open(map_path, encoding="utf-8", errors="replace") as lines:
        for raw in lines:
            line = raw.rstrip("\n")
            if line.startswith("Linker script and memory map"):
                in_memory_map = True
                continue
            name_only = re.match(r"^ (\.\S+)$", line)
            if name_only:
                pending = name_only.group(1)
                continue
            m = LINE.match(line) if in_memory_map else None
            section = (m.group(1) or pending) if m else None
            pending = None
            if section and section.startswith(".eh_frame") and int(m.group(2), 16) != 0:
                total += int(m.group(3), 16)
    return total


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    exe, map_path = sys.argv[1], sys.argv[2]
    with open(exe, "rb") as f:
        data = f.read()
    image = pe.PeImage(data)
    total = len(data)
    sizes = part_sizes(map_path)
    sizes["resources"] = section_bytes(image, b".rsrc")
    # The post-link step keeps one copy of each distinct unwind header; the
    # map still counts them all, under the parts they came from.
    shared = unwind_bytes_in_map(map_path) - section_bytes(image, b".eh_fram")
    if shared > 0:
        sizes["unwind headers shared"] = -shared
    counted = sum(sizes.values())
    sizes["headers, alignment"] = max(total - counted, 0)
    print(f"stub size: {total} bytes ({total / 1024:.1f} KiB)")
    print(f"  {'part':<22}{'bytes':>10}{'share':>8}")
    for name, size in sorted(sizes.items(), key=lambda kv: (kv[1] < 0, -abs(kv[1]))):
        if size:
            print(f"  {name:<22}{size:>10}{100.0 * size / total:>7.1f}%")


if __name__ == "__main__":
    main()
