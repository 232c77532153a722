// probe.exe: a stand-in setup program for the end-to-end tests and the demo.
// It writes what it received into a report file and exits with a chosen code.
//
// Settings, each from the first place that has it:
//   report file: environment SFX_PROBE_REPORT, "report=" in probe.ini beside
//                probe.exe, else %TEMP%\probe-report.txt
//   exit code:   environment SFX_PROBE_EXIT, "exit=" in probe.ini, else 0
//                (decimal, or hexadecimal with 0x; the full 32 bits are used)
// probe.ini holds "key=value" lines; other lines are ignored.
//
// The report is UTF-8 text, one "key=value" line per item, LF line ends, in
// this order:
//   commandline=<GetCommandLineW(), exactly>
//   argc=<count from CommandLineToArgvW>
//   argv[0]=<...>            one line per argument
//   cwd=<current directory>
//   exe=<full path of probe.exe>
//   dir=<relative path>      each folder below probe.exe's folder, sorted
//   file=<relative path>     each file below it (probe.exe included), sorted
//   exit=<the exit code, unsigned decimal>
// Line breaks inside a value are written as \n and \r. The report is
// written to "<report>.tmp" and renamed, so a reader never sees half of it.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "orelib/win32/Handle.h"

namespace {

std::wstring ModulePath() {
    wchar_t buffer[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    return std::wstring(buffer, n);
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring Environment(const wchar_t* name) {
    wchar_t buffer[32768];
    const DWORD n = GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(std::size(buffer)));
    return n > 0 && n < std::size(buffer) ? std::wstring(buffer, n) : std::wstring();
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
    return out;
}

// "key=value" settings from probe.ini (UTF-8).
std::wstring IniValue(const std::wstring& iniPath, const std::wstring& key) {
    orelib::CHandle file(CreateFileW(iniPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    std::string content(65536, '\0');
    DWORD read = 0;
    if (!ReadFile(file.Get(), &content[0], static_cast<DWORD>(content.size()), &read, nullptr)) return {};
    content.resize(read);
    const std::wstring text = FromUtf8(content);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = text.substr(start, end - start);
        if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 && line[key.size()] == L'=') {
            return line.substr(key.size() + 1);
        }
        start = end + 1;
    }
    return {};
}

std::wstring Escape(const std::wstring& value) {
    std::wstring out;
    for (wchar_t c : value) {
        if (c == L'\n')
            out += L"\\n";
        else if (c == L'\r')
            out += L"\\r";
        else
            out += c;
    }
    return out;
}

struct FindHandleTraits {
    using Type = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};
using CFindHandle = orelib::CUniqueHandle<FindHandleTraits>;

void ListTree(const std::wstring& root, const std::wstring& relative, std::vector<std::wstring>* dirs,
              std::vector<std::wstring>* files) {
    WIN32_FIND_DATAW data;
    const std::wstring base = relative.empty() ? root : root + L"\\" + relative;
    CFindHandle find(FindFirstFileW((base + L"\\*").c_str(), &data));
    if (!find) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = relative.empty() ? name : relative + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            dirs->push_back(path);
            ListTree(root, path, dirs, files);
        } else {
            files->push_back(path);
        }
    } while (FindNextFileW(find.Get(), &data));
}

bool WriteReport(const std::wstring& path, const std::wstring& report) {
    const std::wstring temp = path + L".tmp";
    {
        orelib::CHandle file(
            CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        const std::string bytes = ToUtf8(report);
        DWORD written = 0;
        if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size()) {
            return false;
        }
    }
    return MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace

int wmain(int, wchar_t**) {
    const std::wstring exe = ModulePath();
    const std::wstring folder = FolderOf(exe);
    const std::wstring ini = folder + L"\\probe.ini";

    std::wstring reportPath = Environment(L"SFX_PROBE_REPORT");
    if (reportPath.empty()) reportPath = IniValue(ini, L"report");
    if (reportPath.empty()) reportPath = Environment(L"TEMP") + L"\\probe-report.txt";
    std::wstring exitText = Environment(L"SFX_PROBE_EXIT");
    if (exitText.empty()) exitText = IniValue(ini, L"exit");
    const unsigned long exitCode = exitText.empty() ? 0 : std::wcstoul(exitText.c_str(), nullptr, 0);

    const wchar_t* commandLine = GetCommandLineW();
    std::wstring report = L"commandline=" + Escape(commandLine) + L"\n";
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(commandLine, &argc);
    report += L"argc=" + std::to_wstring(argv ? argc : 0) + L"\n";
    for (int i = 0; argv && i < argc; ++i) {
        report += L"argv[" + std::to_wstring(i) + L"]=" + Escape(argv[i]) + L"\n";
    }
    if (argv) LocalFree(argv);

    wchar_t cwd[MAX_PATH * 4];
    const DWORD cwdLength = GetCurrentDirectoryW(static_cast<DWORD>(std::size(cwd)), cwd);
    report += L"cwd=" + std::wstring(cwd, cwdLength < std::size(cwd) ? cwdLength : 0) + L"\n";
    report += L"exe=" + exe + L"\n";

    std::vector<std::wstring> dirs, files;
    ListTree(folder, L"", &dirs, &files);
    std::sort(dirs.begin(), dirs.end());
    std::sort(files.begin(), files.end());
    for (const std::wstring& d : dirs) report += L"dir=" + d + L"\n";
    for (const std::wstring& f : files) report += L"file=" + f + L"\n";
    report += L"exit=" + std::to_wstring(exitCode) + L"\n";

    WriteReport(reportPath, report);
    return static_cast<int>(exitCode);
}
