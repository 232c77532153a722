#!/usr/bin/env python3
"""Links the stub so that unwind entries of unused inline functions go too.

usage: link_stub.py LINK-COMMAND...   (the build's launcher for the stub's link)

The MinGW linker script keeps every .eh_frame section, and an unwind entry
keeps the function it describes: with --gc-sections the stub still carried
every inline and template function its objects instantiated, used or not,
with their unwind entries (about 90 KB). This compiler puts the entry of each
such function in a section of its own, .eh_frame$NAME beside .text$NAME, and
scripts/compile_split.py makes it do the same for every other function of
the stub.

So the stub is linked in two steps, both with the system's linker script,
changed in one place:
  1. the per-function unwind sections may be dropped like any other section;
     nothing refers to them, so they all go, and the link map tells which
     functions the program really uses (those still in .text);
  2. the unwind sections of exactly those functions are kept.
A function the second step keeps beyond the first (kept only from a kept
unwind entry) gets its entry in one more round; the rounds end when the kept
entries cover every kept function that has one. Entries of whole objects
(.eh_frame without a name) are kept as before, and crtend.o's terminator
stays last, after all of them.
"""
import re
import subprocess
import sys

DEFAULT_RULE = "KEEP(*(.eh_frame*))"
MAX_ROUNDS = 4


def map_path(command):
    for arg in command:
        m = re.match(r"-Wl,-Map=(.+)$", arg)
        if m:
            return m.group(1)
    sys.exit("link_stub.py: the link command must write a map (-Wl,-Map=FILE)")


def default_script(compiler):
    ld = subprocess.run([compiler, "-print-prog-name=ld"], capture_output=True, text=True,
                        check=True).stdout.strip()
    text = subprocess.run([ld, "--verbose"], capture_output=True, text=True, check=True).stdout
    parts = text.split("==================================================")
    if len(parts) < 3 or DEFAULT_RULE not in parts[1]:
        sys.exit(f"link_stub.py: {ld}'s default script has no '{DEFAULT_RULE}' to change")
    return parts[1]


def script_keeping(base, names):
    kept = ""
    if names:
        kept = "    KEEP(*(" + "\n      ".join(".eh_frame$" + n for n in sorted(names)) + "))\n"
    rule = ("KEEP(*(EXCLUDE_FILE(*crtend.o) .eh_frame))\n" + kept +
            "    *(.eh_frame$*)\n    KEEP(*crtend.o(.eh_frame))")
    return base.replace(DEFAULT_RULE, rule)


def sections_in_map(path):
    """(names of .text$NAME sections in the image, names that have .eh_frame$NAME)."""
    live, described = set(), set()
    in_memory_map = False
    pending = None
    entry = re.compile(r"^ (\.(?:text|eh_frame)\$\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+\S")
    with open(path, encoding="utf-8", errors="replace") as lines:
        for raw in lines:
            line = raw.rstrip("\n")
            if line.startswith("Linker script and memory map"):
                in_memory_map = True
            name_only = re.match(r"^ (\.(?:text|eh_frame)\$\S+)$", line)
            if name_only:
                pending = name_only.group(1)
                continue
            m = entry.match(line)
            section = (m.group(1) or pending) if m else None
            pending = None
            if not section:
                continue
            kind, name = section[1:].split("$", 1)
            if kind == "eh_frame":
                described.add(name)  # discarded or not: the function has an entry
            elif in_memory_map and int(m.group(2), 16) != 0 and int(m.group(3), 16) != 0:
                live.add(name)
    return live, described


def main():
    command = sys.argv[1:]
    if not command:
        sys.exit(__doc__)
    the_map = map_path(command)
    base = default_script(command[0])
    script = the_map + ".ld"
    kept = set()
    for _ in range(MAX_ROUNDS):
        with open(script, "w", encoding="utf-8") as out:
            out.write(script_keeping(base, kept))
        result = subprocess.run(command + ["-Wl,-T," + script])
        if result.returncode != 0:
            return result.returncode
        live, described = sections_in_map(the_map)
        missing = (live & described) - kept
        if not missing and kept:
            return 0
        kept |= live & described
        if not missing:  # no inline function at all: the first link stands
            return 0
    sys.exit(f"link_stub.py: unwind entries still missing after {MAX_ROUNDS} rounds")


if __name__ == "__main__":
    sys.exit(main())
