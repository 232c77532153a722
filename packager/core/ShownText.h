#pragma once
// Text from a file as it may be shown on a terminal: nothing in it can move
// the cursor, erase what was printed or turn the rest of a line around.
#include <string>

namespace sfxpack {

// `utf8` with C0 and C1 control characters, DEL and the bidirectional
// embedding, override and isolate characters written as \xNN or \uNNNN, and
// every byte of a string that is not valid UTF-8 above 0x7F as \xNN. With
// `keepLines`, tabs and line ends stay (CR LF and a lone CR become LF), as in
// a configuration text shown whole; without, they are escaped too.
std::string ShownText(const std::string& utf8, bool keepLines = false);

}  // namespace sfxpack
