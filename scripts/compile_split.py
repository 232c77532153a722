#!/usr/bin/env python3
"""Compiles a C++ source so that each function's unwind entry has a section of its own.

usage: compile_split.py COMPILE-COMMAND...   (the build's compiler launcher for the stub's C++)

The assembler gives an unwind entry a section of its own (.eh_frame$NAME)
only for a function in a COMDAT section (inline and template functions); the
entries of all other functions of an object share one .eh_frame section,
which the MinGW linker script keeps and which keeps every one of those
functions, used or not. So the source is compiled to assembly, each plain
function section .text$NAME is renamed .text$NAME$TAG (TAG: from the object's
path, so that static functions of the same name in two objects stay apart)
and marked as a COMDAT section of which there is only ever one copy, and the
result is assembled. The stub's link (scripts/link_stub.py) then keeps the
unwind entries of exactly the functions it keeps.

Commands that are not a compile of a C++ source run unchanged.
"""
import hashlib
import os
import re
import subprocess
import sys

FUNCTION_SECTION = re.compile(r'^\t\.section\t\.text\$([^,\s]+),"x"$')


def split_sections(assembly, tag):
    lines = assembly.split("\n")
    out = []
    for i, line in enumerate(lines):
        m = FUNCTION_SECTION.match(line)
        already_comdat = i + 1 < len(lines) and lines[i + 1].startswith("\t.linkonce")
        if m and not already_comdat:
            out.append(f'\t.section\t.text${m.group(1)}${tag},"x"')
            out.append("\t.linkonce discard")
        else:
            out.append(line)
    return "\n".join(out)


def main():
    command = sys.argv[1:]
    if not command:
        sys.exit(__doc__)
    is_compile = "-c" in command and "-o" in command and \
        any(arg.endswith((".cpp", ".cc", ".cxx")) for arg in command)
    if not is_compile:
        return subprocess.call(command)
    out_at = command.index("-o") + 1
    obj = command[out_at]
    assembly_path = obj + ".s"
    to_assembly = list(command)
    to_assembly[to_assembly.index("-c")] = "-S"
    to_assembly[out_at] = assembly_path
    result = subprocess.call(to_assembly)
    if result != 0:
        return result
    tag = hashlib.sha1(obj.encode("utf-8")).hexdigest()[:8]
    with open(assembly_path, encoding="utf-8", errors="surrogateescape") as f:
        assembly = f.read()
    with open(assembly_path, "w", encoding="utf-8", errors="surrogateescape") as f:
        f.write(split_sections(assembly, tag))
    result = subprocess.call([command[0], "-c", assembly_path, "-o", obj])
    os.remove(assembly_path)
    return result


if __name__ == "__main__":
    sys.exit(main())
