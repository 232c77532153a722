#pragma once
// First include of every file that uses the archive library's headers. The
// library needs the OLE types (BSTR, PROPVARIANT, IStream) that a lean
// <windows.h> leaves out, and its Common.h before any other of its headers.
// Headers included by the rest of the program never include this.
#include <windows.h>
#include <ole2.h>

#include "CPP/Common/Common.h"

namespace extract {



}  // namespace extract
