#!/usr/bin/env python3
"""Makes a package folder of mixed content, the same bytes on every run.

usage: make_mixed.py FOLDER MEGABYTES

About 40% executables (Wine's 32-bit PE DLLs, which real setups resemble),
30% text, 20% data that does not compress, 10% many small files, and a
setup.exe (the test probe, when its path is given in SFX_PROBE) so that the
package names a setup program that exists.
"""
import os
import random
import shutil
import sys

PE_DIR = "/usr/lib/i386-linux-gnu/wine/i386-windows"
WORDS = ("setup install program file folder version update system user window "
         "license agreement company product component feature registry value "
         "the of and to in is that for it with as on be by this are from").split()


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    folder, megabytes = sys.argv[1], int(sys.argv[2])
    total = megabytes * 1024 * 1024
    rng = random.Random(20261208)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)

    # Executables: the DLLs in name order until 40% is reached.
    budget = total * 4 // 10
    os.makedirs(os.path.join(folder, "bin"))
    for name in sorted(os.listdir(PE_DIR)):
        if budget <= 0:
            break
        if not name.endswith(".dll"):
            continue
        src = os.path.join(PE_DIR, name)
        size = os.path.getsize(src)
        if size > budget:
            continue
        shutil.copyfile(src, os.path.join(folder, "bin", name))
        budget -= size

    # Text: sentences of a small vocabulary, in files of 64 KiB to 1 MiB.
    budget = total * 3 // 10
    index = 0
    while budget > 0:
        size = min(budget, rng.randint(64, 1024) * 1024)
        words = []
        length = 0
        while length < size:
            word = rng.choice(WORDS)
            words.append(word)
            length += len(word) + 1
        write(os.path.join(folder, "doc", f"text{index:03}.txt"), " ".join(words).encode()[:size])
        budget -= size
        index += 1

    # Data that does not compress (images, media, archives in a real package).
    budget = total * 2 // 10
    index = 0
    while budget > 0:
        size = min(budget, 4 * 1024 * 1024)
        write(os.path.join(folder, "media", f"blob{index:02}.bin"), rng.randbytes(size))
        budget -= size
        index += 1

    # Many small files: the per-file cost.
    budget = total // 10
    index = 0
    while budget > 0:
        size = min(budget, rng.randint(512, 8192))
        half = rng.randbytes(size // 2)
        write(os.path.join(folder, "res", f"d{index // 100:02}", f"item{index:05}.dat"), half + half)
        budget -= size
        index += 1

    probe = os.environ.get("SFX_PROBE")
    if probe:
        shutil.copyfile(probe, os.path.join(folder, "setup.exe"))


if __name__ == "__main__":
    main()
