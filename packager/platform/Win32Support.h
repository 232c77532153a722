#pragma once
// The Windows packager's shared pieces: the owner of kernel handles and the
// system's text for an error code.
#ifdef _WIN32

#include <windows.h>

#include <string>

#include "orelib/win32/Handle.h"

namespace sfxpack {

// One owner for a kernel handle, the stub's own.
using orelib::CHandle;

// The system's message for `error` in UTF-8, without its final period and
// line break; "error N" when the system has none.
std::string SystemErrorText(DWORD error);

}  // namespace sfxpack

#endif  // _WIN32
