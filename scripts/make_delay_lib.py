#!/usr/bin/env python3
"""Makes a delay-load import library from the toolchain's import library.

usage: make_delay_lib.py NM DLLTOOL IMPORT-LIBRARY DLL-NAME OUTPUT

Every function the import library names is imported by name, as the
toolchain's library imports it, but on its first call: the thunk dlltool
makes loads the DLL then (through LoadLibrary, with the process's DLL search)
and fills in the address.
"""
import os
import re
import subprocess
import sys


def main():
    if len(sys.argv) != 6:
        sys.exit(__doc__.strip().splitlines()[2])
    nm, dlltool, implib, dll, output = sys.argv[1:]
    symbols = subprocess.run([nm, "-g", implib], capture_output=True, text=True, check=True).stdout
    names = sorted(set(re.findall(r"^\S* +I __imp__(\S+)$", symbols, re.M)))
    if not names:
        sys.exit(f"make_delay_lib.py: {implib} imports nothing")
    definition = output + ".def"
    with open(definition, "w") as f:
        f.write(f"LIBRARY {dll}\nEXPORTS\n" + "".join(n + "\n" for n in names))
    if os.path.exists(output):
        os.remove(output)
    subprocess.run([dlltool, "-k", "--input-def", definition, "--dllname", dll, "--output-delaylib", output],
                   check=True)


if __name__ == "__main__":
    main()
