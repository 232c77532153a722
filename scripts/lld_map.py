"""Reads the link map that lld writes for a PE image (--Map=FILE).

Each line is an address (relative to the image base), a size, an alignment
and then, indented by its kind, an output section (".text"), an input
section ("file:(.text$name)") or a symbol the input section above it
defines. Archive members are named without their archive.
"""
import re

_LINE = re.compile(r"^([0-9a-f]+) ([0-9a-f]+) +\d+ (\s*)(\S.*)$")
_INPUT = re.compile(r"^(.*):\((\S+)\)$")
_INPUT_INDENT, _SYMBOL_INDENT = 8, 16


class InputSection:
    def __init__(self, output, origin, name, rva, size):
        self.output = output  # the output section's name, e.g. ".text"
        self.origin = origin  # the object file, e.g. "eh_alloc.o" or a path
        self.name = name  # e.g. ".text$_ZN6orelib4NameEv"
        self.rva, self.size = rva, size
        self.symbols = []  # (name, rva) of the symbols it defines


def read(path):
    """The input sections of the map in address order."""
    return read_all(path)[1]


def read_all(path):
    """({output section name: (rva, size)}, the input sections in address order)."""
    outputs = {}
    sections = []
    output = None
    with open(path, encoding="utf-8", errors="replace") as lines:
        for line in lines:
            m = _LINE.match(line.rstrip("\n"))
            if not m:
                continue
            rva, size, indent, text = int(m.group(1), 16), int(m.group(2), 16), len(m.group(3)), m.group(4)
            if indent < _INPUT_INDENT:
                output = text
                outputs.setdefault(text, (rva, size))
            elif indent < _SYMBOL_INDENT:
                found = _INPUT.match(text)
                if found:
                    sections.append(InputSection(output, found.group(1), found.group(2), rva, size))
            elif sections:
                sections[-1].symbols.append((text, rva))
    return outputs, sections


def symbol(sections, name):
    """(rva, input section) of the symbol called exactly `name`, or (None, None)."""
    for section in sections:
        for symbol_name, rva in section.symbols:
            if symbol_name == name:
                return rva, section
    return None, None
