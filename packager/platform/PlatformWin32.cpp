// Windows implementation of Platform.h: wide (UTF-16) calls throughout, the
// packager's UTF-8 text converted at this edge.
#ifdef _WIN32

#include "packager/platform/Platform.h"

#include <windows.h>
#include <bcrypt.h>
#include <winternl.h>

#include "packager/core/PackError.h"
#include "packager/core/WideText.h"
#include "packager/platform/Win32Support.h"

namespace sfxpack {

const char kOsslsigncodeHint[] = "put osslsigncode.exe (and the DLLs it comes with) in a folder on PATH";

namespace fs = std::filesystem;

namespace {

std::wstring Wide(const std::string& utf8) {
    std::wstring wide;
    if (!FromUtf8(utf8, &wide)) throw CPackError("text is not valid UTF-8", kExitFailure, DiagCode::Internal);
    return wide;
}

// 100 ns intervals between 1601-01-01 and 1970-01-01.
constexpr int64_t kUnixEpochAsFileTime = 116444736000000000ll;

void SetTime(const FILETIME& time, EntryFacts* facts) {
    const int64_t sinceUnix =
        static_cast<int64_t>((uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime) - kUnixEpochAsFileTime;
    int64_t seconds = sinceUnix / 10000000;
    int64_t rest = sinceUnix % 10000000;
    if (rest < 0) {
        rest += 10000000;
        --seconds;
    }
    facts->mtimeSeconds = seconds;
    facts->mtimeNanoseconds = static_cast<uint32_t>(rest * 100);
}

// Symbolic links and junctions lead elsewhere; other reparse points (cloud
// placeholders, deduplicated files) are the file or folder itself.
bool IsLinkTag(DWORD tag) { return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT; }

}  // namespace

fs::path GetExecutableDir() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
        if (length == 0) return fs::path();
        if (length < buffer.size()) {
            buffer.resize(length);
            return fs::path(buffer).parent_path();
        }
        buffer.resize(buffer.size() * 2);
    }
}

void GetRandomBytes(uint8_t* out, size_t size) {
    const NTSTATUS status = BCryptGenRandom(nullptr, out, static_cast<ULONG>(size), BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    if (!BCRYPT_SUCCESS(status)) {
        throw CPackError("the system's random source failed", kExitFailure, DiagCode::Internal);
    }
}

std::optional<std::string> GetEnvironmentText(const char* name) {
    const std::wstring wideName = Wide(name);
    std::wstring value(256, L'\0');
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length = GetEnvironmentVariableW(wideName.c_str(), &value[0], static_cast<DWORD>(value.size()));
        if (length == 0) {
            if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
            return std::string();
        }
        if (length < value.size()) {
            value.resize(length);
            return ToUtf8(value);
        }
        value.resize(length);
    }
}

bool IsErrorTerminal() {
    // main() asks the console to follow escape sequences; older ones cannot.
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0 &&
           (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

char32_t SimpleUpperCase(char32_t c) {
    // The invariant locale's mapping. NTFS's case table covers the Basic
    // Multilingual Plane only; other code points keep their case.
    if (c > 0xFFFF) return c;
    const wchar_t in = static_cast<wchar_t>(c);
    wchar_t out = in;
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, &in, 1, &out, 1, nullptr, nullptr, 0) != 1) return c;
    return static_cast<char32_t>(out);
}

fs::path LongPathForm(const fs::path& path) {
    const std::wstring& text = path.native();
    if (text.rfind(LR"(\\?\)", 0) == 0 || text.rfind(LR"(\\.\)", 0) == 0) return path;
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    if (ec) return path;
    // A \\?\ name is taken as it is: no '/', no "." or "..".
    const std::wstring full = absolute.lexically_normal().make_preferred().native();
    if (full.rfind(LR"(\\)", 0) == 0) return fs::path(LR"(\\?\UNC\)" + full.substr(2));
    return fs::path(LR"(\\?\)" + full);
}

bool ReadFolderNames(const fs::path& dir, std::vector<std::string>* names, std::string* error) {
    // The standard library's folder iterator fails beyond MAX_PATH.
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileExW((dir / L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                         FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        *error = SystemErrorText(GetLastError());
        return false;
    }
    DWORD failure = ERROR_NO_MORE_FILES;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names->push_back(ToUtf8(name));
    } while (FindNextFileW(find, &data) || (failure = GetLastError()) != ERROR_NO_MORE_FILES);
    FindClose(find);
    if (failure != ERROR_NO_MORE_FILES) {
        *error = SystemErrorText(failure);
        return false;
    }
    return true;
}

bool ReadEntry(const fs::path& path, EntryFacts* facts) {
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileExW(path.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    EntryFacts result;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsLinkTag(data.dwReserved0)) {
        result.kind = EntryKind::Link;
    } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        result.kind = EntryKind::Folder;
    } else {
        result.kind = EntryKind::File;
    }
    result.size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    SetTime(data.ftLastWriteTime, &result);
    result.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    *facts = result;
    return true;
}

void RemoveTree(const fs::path& path) {
    // The standard library's remove_all fails beyond MAX_PATH.
    const fs::path full = LongPathForm(path);
    EntryFacts facts;
    if (!ReadEntry(full, &facts)) return;
    if (facts.kind == EntryKind::Folder) {
        std::vector<std::string> names;
        std::string error;
        if (ReadFolderNames(full, &names, &error)) {
            for (const std::string& name : names) RemoveTree(full / fs::u8path(name));
        }
    }
    SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);  // read-only files cannot be deleted
    // A link to a folder goes with RemoveDirectory, one to a file with DeleteFile.
    if (!RemoveDirectoryW(full.c_str())) DeleteFileW(full.c_str());
}

namespace {

// Wine reads the name into a MAX_PATH buffer and answers ERROR_MORE_DATA
// whatever the caller's buffer; its object manager holds the full name in
// the DOS-device form \??\C:\..., which is the \\?\ form for Win32 calls.
bool ObjectNameAsLongPath(HANDLE file, std::wstring* name) {
    // Looked up, not imported: ntdll stays out of the import table.
    using QueryObject = NTSTATUS(NTAPI*)(HANDLE, OBJECT_INFORMATION_CLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryObject>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryObject")));
    std::vector<uint8_t> buffer(sizeof(OBJECT_NAME_INFORMATION) + 65536 * sizeof(wchar_t));
    ULONG length = 0;
    if (query == nullptr ||
        !NT_SUCCESS(query(file, ObjectNameInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &length))) {
        return false;
    }
    const UNICODE_STRING& text = reinterpret_cast<const OBJECT_NAME_INFORMATION*>(buffer.data())->Name;
    const std::wstring found(text.Buffer, text.Length / sizeof(wchar_t));
    if (found.rfind(LR"(\??\)", 0) != 0) return false;
    *name = LR"(\\?\)" + found.substr(4);
    return true;
}

bool FinalPathOf(HANDLE file, std::wstring* name) {
    std::wstring text(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(file, &text[0], static_cast<DWORD>(text.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return GetLastError() == ERROR_MORE_DATA && ObjectNameAsLongPath(file, name);
        if (length < text.size()) {
            text.resize(length);
            *name = text;
            return true;
        }
        text.resize(length);  // too small: `length` is the size it needs
    }
}

}  // namespace

bool FollowEntry(const fs::path& path, EntryFacts* facts, fs::path* finalPath) {
    // Without FILE_FLAG_OPEN_REPARSE_POINT the open follows every link.
    CHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file.IsValid() || !GetFileInformationByHandle(file.Get(), &info)) return false;
    std::wstring name;
    if (!FinalPathOf(file.Get(), &name)) return false;
    EntryFacts result;
    result.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder : EntryKind::File;
    result.size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    SetTime(info.ftLastWriteTime, &result);
    result.readOnly = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    *facts = result;
    *finalPath = fs::path(name);
    return true;
}

}  // namespace sfxpack

#endif  // _WIN32
