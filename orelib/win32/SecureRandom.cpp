#include "orelib/win32/SecureRandom.h"

#include <windows.h>
#include <ntsecapi.h>

#include <algorithm>

namespace orelib {

bool FillSecureRandom(unsigned char* buffer, size_t size) {
    while (size > 0) {
        const ULONG chunk = static_cast<ULONG>(std::min<size_t>(size, 0x10000));
        if (!RtlGenRandom(buffer, chunk)) return false;
        buffer += chunk;
        size -= chunk;
    }
    return true;
}

}  // namespace orelib
