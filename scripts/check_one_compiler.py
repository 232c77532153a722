#!/usr/bin/env python3
"""Fails when the stub links a C++ function that both of its compilers make.

The stub's code is built by clang; the parts of the C++ run-time it links
(exceptions, new and delete, type information) come from GCC's libraries.
On 32-bit x86 the two compilers disagree on how an argument of an empty class
is passed (GCC gives it a stack slot, clang none), so a function that clang
instantiated but GCC-built code calls, or the other way round, pops a
different number of bytes than its caller pushed. The linker keeps one copy
of a function defined by both, so the only safe image is one where no C++
function is defined on both sides. Calls from clang-built code to GCC-built
functions that take a class by value are refused too.

usage: check_one_compiler.py NM MAP --gcc LIB... --clang FILE...
"""
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import lld_map  # noqa: E402


def defined_and_undefined(nm, path):
    """Per archive member (or object), the C++ symbols it defines and uses."""
    out = subprocess.run([nm, '--no-sort', path], capture_output=True, text=True, check=True).stdout
    members, current = {}, path
    for line in out.splitlines():
        if line.endswith(':') and ' ' not in line.strip():
            current = line[:-1].rsplit('/', 1)[-1]
            continue
        parts = line.split()
        # C++ names only, and no type information, vtables or guards: data
        # that both sides lay out alike.
        if len(parts) < 2 or not parts[-1].startswith('__Z') or re.match(r'__Z(T[ISVT]|GV)', parts[-1]):
            continue
        kind, name = parts[-2], parts[-1]
        defined, used = members.setdefault(current, (set(), set()))
        (used if kind == 'U' else defined).add(name)
    return members


def linked_members(map_path):
    """The input files the linker took sections from, archive members by their own name."""
    return {section.origin.rsplit('/', 1)[-1] for section in lld_map.read(map_path)}


def demangle(names):
    if not names:
        return []
    out = subprocess.run(['c++filt', '-_'], input='\n'.join(names), capture_output=True, text=True).stdout
    return out.splitlines()


def takes_class_by_value(demangled):
    """A parameter of a standard-library class type that is neither a pointer nor a reference."""
    start = demangled.find('(')
    if start < 0:
        return False
    depth, param, params = 0, '', []
    for c in demangled[start + 1:demangled.rfind(')')]:
        if c in '<(':
            depth += 1
        elif c in '>)':
            depth -= 1
        if c == ',' and depth == 0:
            params.append(param.strip())
            param = ''
        else:
            param += c
    params.append(param.strip())
    return any(re.match(r'(std|__gnu_cxx|__cxxabiv1)::', p) and not p.endswith(('*', '&')) for p in params)


def main(argv):
    nm, map_path = argv[1], argv[2]
    split = argv.index('--clang')
    gcc_libs, clang_files = argv[argv.index('--gcc') + 1:split], argv[split + 1:]
    linked = linked_members(map_path)

    gcc_defined = set()
    for lib in gcc_libs:
        for member, (defined, _) in defined_and_undefined(nm, lib).items():
            if member in linked:
                gcc_defined |= defined
    clang_defined, clang_used = set(), set()
    for path in clang_files:
        for defined, used in defined_and_undefined(nm, path).values():
            clang_defined |= defined
            clang_used |= used

    both = demangle(sorted(gcc_defined & clang_defined))
    by_value = [shown for shown in demangle(sorted(gcc_defined & clang_used)) if takes_class_by_value(shown)]
    if not both and not by_value:
        return 0
    print('error: the stub links C++ functions whose calls the two compilers may make differently:', file=sys.stderr)
    for shown in both:
        print(f'  made by both GCC and clang: {shown}', file=sys.stderr)
    for shown in by_value:
        print(f'  made by GCC, called by clang with a class by value: {shown}', file=sys.stderr)
    print('Keep that library code out of the stub (the GCC-built member that brings it is in the link map).',
          file=sys.stderr)
    return 1


if __name__ == '__main__':
    sys.exit(main(sys.argv))
