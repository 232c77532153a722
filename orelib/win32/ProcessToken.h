#pragma once
// Who this process is, as its token says.
#include <windows.h>

#include <string>
#include <vector>

namespace orelib {

// The token is elevated (TokenElevation). Wine reports every process as elevated.
bool IsProcessElevated();

// The token's user is LocalSystem (S-1-5-18), as for a deployment tool's
// service or a scheduled task run as SYSTEM.
bool IsProcessSystem();

// The token's user (TokenUser) or the owner it gives new objects
// (TokenOwner: Administrators for an elevated administrator by default, the
// user under the "object creator" policy), as SID bytes; empty on failure.
std::vector<BYTE> ProcessTokenSid(TOKEN_INFORMATION_CLASS which);

// "S-1-5-21-..." for SID bytes; "" on failure.
std::wstring SidText(const std::vector<BYTE>& sid);

}  // namespace orelib
