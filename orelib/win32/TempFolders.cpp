#include "orelib/win32/TempFolders.h"

#include "orelib/win32/Files.h"
#include "orelib/win32/ProcessToken.h"

namespace orelib {

namespace {

// The machine-wide variables, which only administrators can change. Not
// redirected for 32-bit processes on 64-bit Windows.
constexpr wchar_t kMachineEnvironment[] = L"System\\CurrentControlSet\\Control\\Session Manager\\Environment";

// The user's temporary folder (GetTempPathW, read whole however long); ""
// with the last error set on failure.
std::wstring GetUserTempDir() {
    std::wstring temp(MAX_PATH + 1, L'\0');
    DWORD length = GetTempPathW(static_cast<DWORD>(temp.size()), &temp[0]);
    if (length > temp.size()) {
        // A longer temporary path than the usual buffer: read it whole.
        temp.assign(length, L'\0');
        length = GetTempPathW(length, &temp[0]);
        if (length >= temp.size()) length = 0;
    }
    temp.resize(length);
    return temp;
}

// The shared Windows folder from the system (GetSystemWindowsDirectoryW),
// never from the environment; "" on failure.
std::wstring GetSystemWindowsDir() {
    std::wstring folder(MAX_PATH + 1, L'\0');
    UINT length = GetSystemWindowsDirectoryW(&folder[0], static_cast<UINT>(folder.size()));
    if (length > folder.size()) {
        folder.assign(length, L'\0');
        length = GetSystemWindowsDirectoryW(&folder[0], length);
        if (length >= folder.size()) length = 0;
    }
    folder.resize(length);
    return folder;
}

// A string value of the machine's environment as stored, %NAME% unexpanded;
// "" when it is missing or not a string.
std::wstring ReadMachineVariable(const wchar_t* name) {
    DWORD bytes = 0;
    constexpr DWORD kFlags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kMachineEnvironment, name, kFlags, nullptr, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        bytes < sizeof(wchar_t)) {
        return std::wstring();
    }
    std::wstring value(bytes / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kMachineEnvironment, name, kFlags, nullptr, &value[0], &bytes) !=
        ERROR_SUCCESS) {
        return std::wstring();
    }
    value.resize(bytes / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0') value.pop_back();
    return value;
}

}  // namespace

HRESULT ReadTempFolderFacts(bool elevated, CTempFolderFacts* facts) {
    *facts = CTempFolderFacts();
    facts->elevated = elevated;
    if (!elevated) {
        facts->userTemp = GetUserTempDir();
        return facts->userTemp.empty() ? FailureFromLastError() : S_OK;
    }
    facts->isSystem = IsProcessSystem();
    facts->windowsDir = GetSystemWindowsDir();
    facts->machineTmp = ReadMachineVariable(L"TMP");
    facts->machineTemp = ReadMachineVariable(L"TEMP");
    return S_OK;
}

}  // namespace orelib
