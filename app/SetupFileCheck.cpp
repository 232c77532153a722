#include "app/SetupFileCheck.h"

#include <iterator>
#include <vector>

#include "app/App.h"
#include "app/UiText.h"
#include "orelib/SetupLayout.h"
#include "orelib/StringFormat.h"
#include "orelib/win32/Files.h"
#include "orelib/win32/MappedView.h"
#include "resources/resource.h"

std::wstring SetupFileReadErrorText(HRESULT hr) {
    return LoadUiString(IDS_CANNOT_READ) + L" (" + std::to_wstring(static_cast<int32_t>(hr)) + L")";
}

std::wstring SizeMismatchText(int64_t expected, int64_t actual) {
    if (expected == actual) return std::wstring();
    return LoadUiString(IDS_CORRUPTED) + L"\n\n" +
           // Filled in by a fixed rule: no translation can make a formatter
           // read what is not there.
           orelib::FormatWithValues(LoadUiString(IDS_SIZE_MISMATCH), L"%I64d",
                                    {std::to_wstring(expected), std::to_wstring(actual)});
}

std::wstring CheckSetupFileSizeOf(HANDLE file) {
    // Only the start is mapped for the headers; the real size comes from the
    // file system, not from reading the file.
    orelib::CMappedView view;
    const HRESULT hr = view.MapFileStart(file, orelib::kHeaderWindow);
    if (FAILED(hr)) return SetupFileReadErrorText(hr);
    LARGE_INTEGER actual;
    if (!GetFileSizeEx(file, &actual)) return SetupFileReadErrorText(orelib::FailureFromLastError());

    // An unsigned file's resource is read through the same handle, by our own
    // parser, from as much of the file as resources may occupy.
    const auto readResource = [file](std::vector<uint8_t>* bytes) {
        const std::wstring name(std::begin(orelib::kSizeResourceName),
                                std::end(orelib::kSizeResourceName) - 1);
        uint32_t length = 0;
        return SUCCEEDED(orelib::ReadFileResource(file, name.c_str(), bytes, &length));
    };
    const orelib::SetupSize size = orelib::CheckSetupFileSize(
        view.Data(), view.Size(), readResource, static_cast<uint64_t>(actual.QuadPart));
    if (const char* fixed = orelib::FixedSizeProblemText(size.problem)) {
        return std::wstring(fixed, fixed + std::char_traits<char>::length(fixed));
    }
    if (size.problem == orelib::SizeProblem::None) return std::wstring();
    return SizeMismatchText(static_cast<int64_t>(size.expected), actual.QuadPart);
}

bool CApp::CheckSetupFile() {
    const std::wstring text = CheckSetupFileSizeOf(m_ownFile.Get());
    if (text.empty()) return true;
    DoMessageBox(text.c_str(), MB_OK | MB_ICONERROR, 0);
    return false;
}
