#pragma once
// A scratch folder under the temporary directory for one test, removed afterwards.
#include <windows.h>

#include <string>

#include "orelib/Path.h"

class CTempFolder {
public:
    CTempFolder() {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, temp);
        wchar_t name[64];
        static unsigned counter = 0;
        swprintf(name, 64, L"sfxtest_%lu_%u_%lu", GetCurrentProcessId(), ++counter, GetTickCount());
        m_path = orelib::CombinePath(temp, name);
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~CTempFolder() { RemoveTree(m_path); }

    const std::wstring& Path() const { return m_path; }
    std::wstring operator/(const std::wstring& name) const { return orelib::CombinePath(m_path, name); }

    static bool WriteFile(const std::wstring& path, const std::string& bytes) {
        HANDLE file =
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        return ok && written == bytes.size();
    }
    static bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

private:
    // Independent of the code under test: plain recursion with the raw API,
    // through \\?\ names so that paths longer than MAX_PATH go too.
    static void RemoveTree(const std::wstring& path) {
        const std::wstring folder = path.compare(0, 4, L"\\\\?\\") == 0 ? path : L"\\\\?\\" + path;
        WIN32_FIND_DATAW entry;
        HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = entry.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring path = folder + L"\\" + name;
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveTree(path);
                } else {
                    DeleteFileW(path.c_str());
                }
            } while (FindNextFileW(find, &entry));
            FindClose(find);
        }
        RemoveDirectoryW(folder.c_str());
    }

    std::wstring m_path;
};
