#!/usr/bin/env bash
# Makes a package folder of mixed content, the same bytes on every run on
# one machine: x86 and x64 executables (Wine's PE DLLs), source text,
# already-compressed files, incompressible bytes, nested and empty folders,
# names with spaces and non-ASCII letters.
#   scripts/make-mixed-folder.sh FOLDER [SIZE_MIB]
# SIZE_MIB (default 40) is the rough total; the parts keep their shares:
# executables 45%, text 25%, compressed 15%, random 15%.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OUT="${1:?usage: make-mixed-folder.sh FOLDER [SIZE_MIB]}"
MIB="${2:-40}"
TOTAL=$((MIB * 1048576))
[ -e "$OUT" ] && { echo "$OUT exists" >&2; exit 2; }
mkdir -p "$OUT/bin/x86" "$OUT/bin/x64" "$OUT/docs/source" "$OUT/media" "$OUT/data" \
         "$OUT/empty folder" "$OUT/Grüße/ünter"

# Copies files from a sorted list into DIR until BUDGET bytes are reached.
copy_until() {
  local dir="$1" budget="$2" used=0 f size
  while IFS= read -r f; do
    size=$(stat -c %s "$f")
    [ $((used + size)) -gt "$budget" ] && continue
    cp "$f" "$dir/"
    used=$((used + size))
    [ "$used" -ge $((budget * 95 / 100)) ] && break
  done
  return 0
}

exe=$((TOTAL * 45 / 100))
# (Lists are read from process substitutions: a pipe would end the script
# with SIGPIPE when the copying stops early.)
copy_until "$OUT/bin/x86" $((exe * 2 / 3)) < <(
  find /usr/lib/i386-linux-gnu/wine/i386-windows /usr/lib/x86_64-linux-gnu/wine/i386-windows \
       /usr/i686-w64-mingw32/lib -maxdepth 1 -name '*.dll' -size +20k 2>/dev/null | sort -u)
copy_until "$OUT/bin/x64" $((exe / 3)) < <(
  find /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/x86_64-w64-mingw32/lib \
       -maxdepth 1 -name '*.dll' -size +20k 2>/dev/null | sort -u)

text=$((TOTAL * 25 / 100))
src="$ROOT/build/deps/7zip"
copy_until "$OUT/docs/source" "$text" < <(
  find "$src/C" "$src/CPP" -type f \( -name '*.c' -o -name '*.cpp' \) | sort
  find /usr/include -maxdepth 1 -name '*.h' | sort)
printf 'Read me first.\r\n' > "$OUT/docs/read me.txt"
printf 'Notes in German: Größe, Übung, Straße.\n' > "$OUT/Grüße/ünter/Notiz.txt"

# Already compressed: gzip of generated text, no name or time stored.
comp=$((TOTAL * 15 / 100))
python3 - "$OUT/media" "$comp" <<'PY'
import gzip, random, sys
folder, budget = sys.argv[1], int(sys.argv[2])
rng = random.Random(7)
words = ["setup", "install", "file", "folder", "window", "archive", "extract", "data", "page",
         "value", "error", "user", "system", "driver", "option", "program", "table", "index"]
part, n = budget // 4, 0
while n < 4:
    text = " ".join(rng.choice(words) for _ in range(part)).encode()
    blob = gzip.compress(text, compresslevel=9, mtime=0)[:part]
    with open(f"{folder}/bundle{n}.gz", "wb") as out:
        out.write(blob)
    n += 1
PY

# Incompressible bytes, from a fixed seed.
python3 - "$OUT/data" $((TOTAL * 15 / 100)) <<'PY'
import random, sys
folder, budget = sys.argv[1], int(sys.argv[2])
rng = random.Random(1234)
for i, share in enumerate((8, 4, 2, 1)):
    with open(f"{folder}/random{i}.bin", "wb") as out:
        out.write(rng.randbytes(budget * share // 15))
PY
du -sb "$OUT" | cut -f1 | { read -r n; echo "made $OUT: $n bytes, $(find "$OUT" -type f | wc -l) files"; }
