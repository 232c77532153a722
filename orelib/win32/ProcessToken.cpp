#include "orelib/win32/ProcessToken.h"

#include <sddl.h>

#include "orelib/win32/Handle.h"

namespace orelib {

namespace {

CHandle OpenOwnToken() {
    CHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) token.Reset();
    return token;
}

}  // namespace

bool IsProcessElevated() {
    const CHandle token = OpenOwnToken();
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return token && GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof(elevation), &size) &&
           elevation.TokenIsElevated != 0;
}

bool IsProcessSystem() {
    const std::vector<BYTE> user = ProcessTokenSid(TokenUser);
    return !user.empty() && IsWellKnownSid(const_cast<BYTE*>(user.data()), WinLocalSystemSid);
}

std::vector<BYTE> ProcessTokenSid(TOKEN_INFORMATION_CLASS which) {
    if (which != TokenUser && which != TokenOwner) return {};
    const CHandle token = OpenOwnToken();
    if (!token) return {};
    // TOKEN_USER and TOKEN_OWNER both start with the SID's address.
    alignas(void*) BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    if (!GetTokenInformation(token.Get(), which, buffer, sizeof(buffer), &size)) return {};
    const PSID sid = *reinterpret_cast<PSID*>(buffer);
    if (!sid || !IsValidSid(sid)) return {};
    const BYTE* bytes = static_cast<const BYTE*>(sid);
    return std::vector<BYTE>(bytes, bytes + GetLengthSid(sid));
}

std::wstring SidText(const std::vector<BYTE>& sid) {
    LPWSTR text = nullptr;
    if (sid.empty() || !ConvertSidToStringSidW(const_cast<BYTE*>(sid.data()), &text)) return std::wstring();
    std::wstring result(text);
    LocalFree(text);
    return result;
}

}  // namespace orelib
