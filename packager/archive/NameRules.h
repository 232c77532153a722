#pragma once
// Rules for names the stub has to create on Windows: which single names
// Windows cannot hold, and when two names are one file there.
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sfxpack {

// Why Windows could not create a file or folder with this one name (no
// separators), given as raw bytes from the Linux folder; nothing when it can.
// Refused: text that is not valid UTF-8, the characters < > : " | ? * and
// backslash, control characters, a final dot or space, and the device names
// CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$ (also with an
// extension, as in "con.txt").
std::optional<std::string> CheckWindowsName(const std::string& name);

// The key under which Windows compares names: every character upper-cased
// one to one (simple Unicode case mapping, as NTFS's upcase table does).
// Two names with equal keys are the same file on Windows. `name` must be
// valid UTF-8.
std::u32string WindowsNameKey(const std::string& name);

// Every pair of `paths` (relative, '/' or '\\' between names, valid UTF-8)
// that Windows would take for one file, in the order met. A pair inside two
// folders that already collide is left out: their folders' pair says it.
std::vector<std::pair<std::string, std::string>> FindNameCollisions(const std::vector<std::string>& paths);

// Throws CPackError (names.collide) listing every such pair after `what`.
void RefuseNameCollisions(const std::vector<std::string>& paths, const std::string& what);

}  // namespace sfxpack
