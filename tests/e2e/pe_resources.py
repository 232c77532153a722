#!/usr/bin/env python3
"""Lists the resources of a PE file: one line per item,
"type name language size fileoffset"; with a second argument "type/name/language"
it writes that item's bytes after the list instead; with "--hash" each line
is "type name language size sha256" (comparable between files).

Types and names are printed as numbers or as their strings. Used by the
end-to-end tests to look into the built stub without running it.
"""
import hashlib
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import pe  # noqa: E402


def main(path):
    data = open(path, "rb").read()
    image = pe.PeImage(data)
    for item in image.resources():
        rtype, rname, lang = item.path
        offset = image.rva_to_offset(item.rva, item.size)
        if len(sys.argv) > 2 and sys.argv[2] == "--hash":
            print(rtype, rname, lang, item.size, hashlib.sha256(data[offset:offset + item.size]).hexdigest())
            continue
        print(rtype, rname, lang, item.size, offset)
        if len(sys.argv) > 2 and sys.argv[2] == f"{rtype}/{rname}/{lang}":
            sys.stdout.flush()
            sys.stdout.buffer.write(data[offset:offset + item.size])
            return


if __name__ == "__main__":
    main(sys.argv[1])
