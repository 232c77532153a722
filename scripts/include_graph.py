#!/usr/bin/env python3
"""Draws the include graphs of the stub's layers and of the packager's rooms.

The stub's layers, top to bottom: app -> dialog -> extract -> orelib ->
framework; resources/ (resource IDs) is data every layer may use. The
packager's rooms: main.cpp -> cli -> commands -> {archive, config, pe, sign}
-> platform -> core -> library (the archive library's glue); rooms on one
level do not include each other. A folder may include its own headers and
those of the folders below it. Prints one line per pair of folders with the
number of includes, marks each that points up or sideways, and with --check
exits 1 when there is one.
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


# The packager's rooms by level, top first.
ROOM_LEVELS = {"main": 0, "cli": 1, "commands": 2, "archive": 3, "config": 3, "pe": 3, "sign": 3,
               "platform": 4, "core": 5, "library": 6}
ROOM_INCLUDE = re.compile(r'^\s*#\s*include\s+"packager/([^"/]+)/[^"]*"', re.M)


def room_edges(root):
    found = Counter()
    where = {}
    base = os.path.join(root, "packager")
    for folder, _, files in os.walk(base):
        rel = os.path.relpath(folder, base)
        room = "main" if rel == "." else rel.split(os.sep)[0]
        for name in sorted(files):
            if not name.endswith((".h", ".cpp", ".rc")):
                continue
            path = os.path.join(folder, name)
            with open(path, encoding="utf-8", errors="replace") as f:
                for target in ROOM_INCLUDE.findall(f.read()):
                    found[(room, target)] += 1
                    where.setdefault((room, target), os.path.relpath(path, root))
    return found, where


def check_rooms(root):
    found, where = room_edges(root)
    wrong = []
    print("packager include graph (room -> room: includes)")
    for (source, target), count in sorted(found.items(),
                                          key=lambda e: (ROOM_LEVELS.get(e[0][0], 9), e[0][0], e[0][1])):
        unknown = source not in ROOM_LEVELS or target not in ROOM_LEVELS
        bad = unknown or (source != target and ROOM_LEVELS[target] <= ROOM_LEVELS[source])
        mark = ("  NOT DOWNWARD, e.g. " + where[(source, target)]) if bad else ""
        print(f"  {source:9} -> {target:10} {count:4}{mark}")
        if bad:
            wrong.append((source, target))
    print("no room includes a room above or beside it" if not wrong
          else f"{len(wrong)} edge(s) not pointing down")
    return wrong


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
    wrong = check_rooms(root)
    return 1 if check and (upward or wrong) else 0


if __name__ == "__main__":
    sys.exit(main())
