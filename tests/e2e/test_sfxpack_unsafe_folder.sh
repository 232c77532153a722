#!/usr/bin/env bash
# Folder content the stub could not write back faithfully on Windows is
# refused: one error line naming the path, a non-zero exit, no output, and
# the folder untouched. A symbolic link to a file inside the folder is packed
# as a copy of that file.
source "$(dirname "$0")/lib.sh"

printf '[main]\nSetupFileName=setup.exe\n' >"$T/config.ini"
mkdir -p "$T/out"

# One case: a fresh folder with a good file and the offender that $2 makes
# (run inside the folder); $1 is the text the error must contain.
refused() {
  local needle="$1" make="$2" rc=0
  rm -rf "$T/pkg"
  mkdir -p "$T/pkg/sub"
  printf 'ok\n' >"$T/pkg/setup.exe"
  (cd "$T/pkg" && eval "$make") || fail "could not make: $make"
  local before
  before="$(cd "$T/pkg" && find . -printf '%p %y %s %T@ %m %l\n' | sort)"
  "$SFXPACK" build --stub "$STUB" --config "$T/config.ini" --dir "$T/pkg" -o "$T/out/setup.exe" \
    >"$T/stdout" 2>"$T/stderr" || rc=$?
  [ "$rc" -eq 1 ] || fail "[$make] exit $rc, expected 1: $(cat "$T/stderr")"
  [ "$(wc -l <"$T/stderr")" -eq 1 ] && grep -q '^sfxpack: error: cannot pack ' "$T/stderr" ||
    fail "[$make] not one error line: $(cat "$T/stderr")"
  grep -qF -- "$needle" "$T/stderr" || fail "[$make] error does not mention '$needle': $(cat "$T/stderr")"
  [ -z "$(ls -A "$T/out")" ] || fail "[$make] output left behind: $(ls -A "$T/out")"
  [ "$before" = "$(cd "$T/pkg" && find . -printf '%p %y %s %T@ %m %l\n' | sort)" ] ||
    fail "[$make] the folder changed"
  echo "ok: $(cat "$T/stderr")"
}

refused "'passwd': it is a symbolic link to '/etc/passwd', outside" 'ln -s /etc/passwd passwd'
refused "'sub/up': it is a symbolic link" 'ln -s ../../config.ini sub/up'
refused "'dangling': it is a symbolic link that points to nothing" 'ln -s nowhere dangling'
refused "'folderlink': it is a symbolic link to something other than a file" 'ln -s sub folderlink'
# Every pair is named, but not the files inside two folders that are one.
refused "1 pair of names for one file (they differ only in case): 'sub/README.txt' and 'sub/Readme.txt'" 'touch sub/Readme.txt sub/README.txt'
refused "1 pair of names for one file (they differ only in case): 'SUB' and 'sub'" 'mkdir SUB && touch SUB/x sub/x'
refused "2 pairs of names for one file (they differ only in case): 'B' and 'b'; 'Ärger.txt' and 'ärger.txt'" 'touch ärger.txt Ärger.txt b B'
refused "'con.txt': the name is the reserved device name CON" 'touch con.txt'
refused "'sub/aux': the name is the reserved device name AUX" 'mkdir sub/aux'
refused "'LPT1.log'" 'touch LPT1.log'
refused "'a:b': the name holds the character :" 'touch a:b'
refused "'why?'" 'touch "why?"'
refused "'star*'" 'touch "star*"'
refused "'pipe|'" 'touch "pipe|"'
refused "the name holds the character \\" 'touch "back\\slash"'
refused "'tab\\x09here': the name holds the control character 0x09" "touch \$'tab\\there'"
refused "'dot.': the name ends in a dot" 'touch dot.'
refused "'space ': the name ends in a space" 'touch "space "'
refused "'caf\\xE9.txt': the name is not valid UTF-8" "touch \$'caf\\xe9.txt'"
refused "'fifo': it is a named pipe (FIFO)" 'mkfifo fifo'
refused "'sock': it is a socket" "python3 -c 'import socket; socket.socket(socket.AF_UNIX).bind(\"sock\")'"
if mknod "$T/probe-dev" c 1 3 2>/dev/null; then
  rm -f "$T/probe-dev"
  refused "'null': it is a character device" 'mknod null c 1 3'
else
  echo "skip: device files (mknod needs privileges this run lacks)"
fi

# A link to a file inside the folder is stored as that file.
rm -rf "$T/pkg"
mkdir -p "$T/pkg/sub"
printf 'linked text\n' >"$T/pkg/sub/target.txt"
ln -s sub/target.txt "$T/pkg/link.txt"
"$SFXPACK" build --stub "$STUB" --config "$T/config.ini" --dir "$T/pkg" -o "$T/out/setup.exe" --allow-missing-setup 2>"$T/stderr" ||
  fail "a link inside the folder was refused: $(cat "$T/stderr")"
7zz e -so "$T/out/setup.exe" link.txt 2>/dev/null | cmp -s - "$T/pkg/sub/target.txt" ||
  fail "link.txt is not stored as a copy of its target"
echo "unsafe folder content ok"
