#!/usr/bin/env python3
"""Draws the stub's include graph between its layers from the code.

The layers, top to bottom: app -> dialog -> extract -> orelib -> framework.
A folder may include its own headers and those of the folders below it;
resources/ (resource IDs) is data every layer may use. Prints one line per
pair of folders with the number of includes, marks each that points up, and
with --check exits 1 when there is one.
"""
import os
import re
import sys
from collections import Counter

LAYERS = ["app", "dialog", "extract", "orelib", "framework"]
SHARED = {"resources"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/[^"]*"', re.M)


def edges(root):
    found = Counter()
    where = {}
    for layer in LAYERS:
        for folder, _, files in os.walk(os.path.join(root, layer)):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp", ".c", ".rc")):
                    continue
                path = os.path.join(folder, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    for target in INCLUDE.findall(f.read()):
                        if target in LAYERS or target in SHARED:
                            found[(layer, target)] += 1
                            where.setdefault((layer, target), os.path.relpath(path, root))
    return found, where


def main():
    check = "--check" in sys.argv[1:]
    args = [a for a in sys.argv[1:] if a != "--check"]
    root = args[0] if args else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    found, where = edges(root)
    upward = []
    print("include graph (layer -> layer: includes)")
    for (source, target), count in sorted(found.items(), key=lambda e: (LAYERS.index(e[0][0]), e[0][1])):
        up = target in LAYERS and LAYERS.index(target) < LAYERS.index(source)
        mark = "  UPWARD, e.g. " + where[(source, target)] if up else ""
        print(f"  {source:9} -> {target:10} {count:4}{mark}")
        if up:
            upward.append((source, target))
    print("no folder includes a folder above it" if not upward
          else f"{len(upward)} upward edge(s)")
    return 1 if check and upward else 0


if __name__ == "__main__":
    sys.exit(main())
