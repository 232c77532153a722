#include "orelib/win32/SecureRandom.h"

#include <windows.h>

#include <algorithm>

#include "orelib/win32/DynamicCalls.h"
#include "orelib/win32/Handle.h"

namespace orelib {

bool FillSecureRandom(unsigned char* buffer, size_t size) {
    // Looked up, not imported: advapi32 forwards SystemFunction036 to
    // cryptbase, which is no KnownDLL. Resolving that forward among the
    // imports loads cryptbase by the normal search order, the setup file's
    // folder first; this lookup comes after start-up restricted the search
    // to the system folder.
    using RtlGenRandomFn = BOOLEAN(WINAPI*)(PVOID, ULONG);
    const CModule advapi(LoadSystemLibrary(L"advapi32.dll"));
    const auto genRandom = LookupFunction<RtlGenRandomFn>(advapi.Get(), "SystemFunction036");
    if (!genRandom) return false;
    while (size > 0) {
        const ULONG chunk = static_cast<ULONG>(std::min<size_t>(size, 0x10000));
        if (!genRandom(buffer, chunk)) return false;
        buffer += chunk;
        size -= chunk;
    }
    return true;
}

}  // namespace orelib
