#include "orelib/win32/WindowStation.h"

#include <windows.h>

namespace orelib {

bool IsWindowStationVisible() {
    USEROBJECTFLAGS flags{};
    DWORD size = 0;
    const HWINSTA station = GetProcessWindowStation();
    if (!station || !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof(flags), &size)) return true;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace orelib
