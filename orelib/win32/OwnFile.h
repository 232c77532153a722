#pragma once
// The program's own file, held open for the whole run. Everything the run
// reads of it (the configuration block, the headers, the size resource, the
// archive) is read through this one handle, never by opening the path again:
// a running program can be renamed, and after elevation a user's program
// could put another setup file under the name.
#include <windows.h>

#include <string>

#include "orelib/SetupLayout.h"
#include "orelib/win32/Handle.h"
#include "orelib/win32/Result.h"

namespace orelib {

// The file under the program's name is not the one the system loaded
// (ERROR_FILE_INVALID).
constexpr HRESULT kOwnFileReplaced = HresultFromWin32(ERROR_FILE_INVALID);

class COwnFile {
public:
    COwnFile() = default;
    COwnFile(const COwnFile&) = delete;
    COwnFile& operator=(const COwnFile&) = delete;
    COwnFile(COwnFile&&) noexcept = default;
    COwnFile& operator=(COwnFile&&) noexcept = default;

    // Opens the running program's file and checks that it is the image the
    // system loaded (kOwnFileReplaced otherwise).
    HRESULT OpenRunningImage();
    // The same with the program's path found beforehand (GetModulePath).
    HRESULT OpenRunningImage(const std::wstring& path);
    // Opens `path` for reading with read sharing only: from then on nobody can
    // write, rename or delete it until the owner closes it. A file held
    // briefly by someone else (a scanner) is tried again.
    HRESULT Open(const std::wstring& path);
    // S_OK when the headers and the "_KTV_VERIFY" resource read through the
    // handle equal those of `image`, a module loaded in this process.
    HRESULT CheckMatchesImage(HMODULE image) const;

    // Takes the payload digest from `image`'s own resource, which the file
    // cannot change once the system has loaded it; false when it has none.
    bool LoadPayloadDigest(HMODULE image);
    // What the loaded image says follows the stub in the file; unset until
    // LoadPayloadDigest succeeds.
    const PayloadDigest& Payload() const { return m_payload; }

    HANDLE Get() const { return m_file.Get(); }
    bool IsOpen() const { return m_file.IsValid(); }
    const std::wstring& Path() const { return m_path; }
    // The size now, from the handle; -1 when the call fails.
    int64_t Size() const;

private:
    CHandle m_file;
    std::wstring m_path;
    PayloadDigest m_payload;
};

}  // namespace orelib
