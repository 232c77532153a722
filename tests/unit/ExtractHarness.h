#pragma once
// Helpers of the extraction tests: the fixtures made by 7zz at build time, a
// window on the test's thread that plays the dialog's part of the message
// protocol and records what it receives, and a comparison of folder trees.
#include <windows.h>

#include "orelib/win32/WorkingFolder.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "dialog/SetupThread.h"
#include "extract/WindowMessages.h"
#include "extract/ExtractParams.h"
#include "extract/ExtractThread.h"
#include "orelib/win32/OwnFile.h"
#include "Layers.h"

namespace extracttest {

// The folder of the running test program, with a trailing backslash.
inline std::wstring ExeFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\') + 1);
}

inline std::wstring Fixture(const std::wstring& name) { return ExeFolder() + L"fixtures\\" + name; }

// A message-only window that answers like the dialog and records everything.
class CDialogStandIn {
public:
    CDialogStandIn() {
        static const wchar_t* const kClass = L"SfxExtractTestWindow";
        static bool registered = false;
        if (!registered) {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = &WindowProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = kClass;
            RegisterClassW(&wc);
            registered = true;
        }
        m_window =
            CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~CDialogStandIn() { DestroyWindow(m_window); }
    CDialogStandIn(const CDialogStandIn&) = delete;
    CDialogStandIn& operator=(const CDialogStandIn&) = delete;

    HWND Handle() const { return m_window; }

    // Answers.
    LRESULT overwriteReply = kOverwriteAll;
    std::wstring password;
    LRESULT passwordReply = IDOK;
    // Called for every message after it was recorded (e.g. to cancel).
    std::function<void(UINT message, LPARAM lParam)> onMessage;

    // What arrived, in order (progress included).
    std::vector<UINT> sequence;
    std::vector<LPARAM> progress;
    std::vector<ExtractError> errors;
    std::vector<std::wstring> overwriteNames;
    int passwordRequests = 0;
    UINT finalMessage = 0;

    // The messages other than progress, in order.
    std::vector<UINT> Milestones() const {
        std::vector<UINT> result;
        for (UINT m : sequence)
            if (m != WM_SFX_PROGRESS) result.push_back(m);
        return result;
    }

    // Pumps messages until a final message arrived; false on time-out.
    bool RunUntilFinal(DWORD timeoutMs = 60000) {
        const DWORD start = GetTickCount();
        while (finalMessage == 0) {
            const DWORD elapsed = GetTickCount() - start;
            if (elapsed >= timeoutMs) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        return true;
    }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<CDialogStandIn*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!self || message < WM_SFX_EXTRACT_DONE || message > WM_SFX_ASK_PASSWORD)
            return DefWindowProcW(window, message, wParam, lParam);
        return self->Handle(message, wParam, lParam);
    }

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
        sequence.push_back(message);
        LRESULT reply = 0;
        switch (message) {
        case WM_SFX_PROGRESS:
            progress.push_back(lParam);
            break;
        case WM_SFX_EXTRACT_ERROR:
            errors.push_back(*reinterpret_cast<const ExtractError*>(wParam));
            break;
        case WM_SFX_ASK_OVERWRITE:
            overwriteNames.push_back(reinterpret_cast<const wchar_t*>(lParam));
            reply = overwriteReply;
            break;
        case WM_SFX_ASK_PASSWORD: {
            ++passwordRequests;
            auto* buffer = reinterpret_cast<wchar_t*>(wParam);
            const size_t capacity = static_cast<size_t>(lParam);
            const size_t length = password.size() < capacity ? password.size() : capacity - 1;
            password.copy(buffer, length);
            buffer[length] = L'\0';
            reply = passwordReply;
            break;
        }
        case WM_SFX_EXTRACT_DONE:
        case WM_SFX_EXTRACT_CANCELLED:
        case WM_SFX_EXTRACT_FAILED:
            finalMessage = message;
            break;
        default:
            break;
        }
        if (onMessage) onMessage(message, lParam);
        return reply;
    }

    HWND m_window = nullptr;
};

// Opens `path` as the stub opens its own file, for ExtractParams::archiveFile;
// the caller keeps `file` until the run has ended.
inline HANDLE OpenArchive(orelib::COwnFile& file, const std::wstring& path) {
    file.Open(path);
    return file.Get();
}

// One extraction run, driven to its end on the test's thread.
inline void RunExtraction(CExtractThread& thread, CDialogStandIn& dialog, const std::wstring& archive,
                          const std::wstring& target, orelib::CWorkingFolder* owned = nullptr) {
    orelib::COwnFile file;
    ExtractParams params;
    params.notifyWindow = dialog.Handle();
    params.archivePath = archive;
    params.archiveFile = OpenArchive(file, archive);
    params.targetFolder = target;
    params.ownedFolder = owned;
    if (!thread.StartExtraction(params)) return;
    dialog.RunUntilFinal();
    thread.WaitForEnd();
}

inline std::string Narrow(const std::wstring& text) {
    std::string result;
    for (wchar_t c : text) result += c < 128 ? static_cast<char>(c) : '?';
    return result;
}

inline bool ReadWholeFile(const std::wstring& path, std::string* bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes->clear();
    char buffer[65536];
    DWORD read = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof(buffer), &read, nullptr) != FALSE) && read != 0)
        bytes->append(buffer, read);
    CloseHandle(file);
    return ok;
}

// Relative paths of every file and folder under root ("\" after folders).
inline void ListTree(const std::wstring& root, const std::wstring& relative, std::vector<std::wstring>* entries) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((root + relative + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            entries->push_back(relative + name + L"\\");
            ListTree(root, relative + name + L"\\", entries);
        } else {
            entries->push_back(relative + name);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

// "" when both trees hold the same names and the same bytes; else the first difference.
inline std::string CompareTrees(std::wstring expected, std::wstring actual) {
    if (expected.back() != L'\\') expected += L'\\';
    if (actual.back() != L'\\') actual += L'\\';
    std::vector<std::wstring> left, right;
    ListTree(expected, L"", &left);
    ListTree(actual, L"", &right);
    std::sort(left.begin(), left.end());
    std::sort(right.begin(), right.end());
    if (left.empty()) return "the expected tree is empty or missing";
    if (left != right) {
        std::string text = "names differ; expected:";
        for (auto& e : left) text += " " + Narrow(e);
        text += "; actual:";
        for (auto& e : right) text += " " + Narrow(e);
        return text;
    }
    for (const auto& entry : left) {
        if (entry.back() == L'\\') continue;
        std::string a, b;
        if (!ReadWholeFile(expected + entry, &a) || !ReadWholeFile(actual + entry, &b))
            return "cannot read " + Narrow(entry);
        if (a != b) return "content differs: " + Narrow(entry);
    }
    return "";
}

}  // namespace extracttest
