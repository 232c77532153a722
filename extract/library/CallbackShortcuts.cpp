#include "extract/library/CallbackShortcuts.h"

#include "CPP/Windows/FileFind.h"
#include "orelib/win32/RelativeOpen.h"

namespace {
// An attribute word with a POSIX mode in its top bits (made on Unix) keeps
// its Windows part only, as in the library's own call.
constexpr DWORD kPosixModeBits = 0xF0000000;
constexpr DWORD kWindowsPartOfPosixWord = 0x3FFF;
}  // namespace

bool NameIsSurelyAbsent(const wchar_t* path) {
    // The library's query, which retries a name longer than MAX_PATH in its
    // \\?\ form, as the callback's own check does.
    if (NWindows::NFile::NFind::GetFileAttrib(path) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool SetAttributesThroughHandle(HANDLE file, DWORD attributes) {
    if ((attributes & kPosixModeBits) != 0) attributes &= kWindowsPartOfPosixWord;
    attributes &= orelib::kSettableAttributes;
    FILE_BASIC_INFO info = {};  // times of 0: left as they are
    // 0 here would leave the attributes as they are; by path it clears them.
    info.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    return ::SetFileInformationByHandle(file, FileBasicInfo, &info, sizeof info) != FALSE;
}
