#include "extract/library/AbsentName.h"

#include "CPP/Windows/FileFind.h"

bool NameIsSurelyAbsent(const wchar_t* path) {
    // The library's query, which retries a name longer than MAX_PATH in its
    // \\?\ form, as the callback's own check does.
    if (NWindows::NFile::NFind::GetFileAttrib(path) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}
