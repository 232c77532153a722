#include "app/SetupFileCheck.h"

#include <iterator>
#include <vector>

#include "orelib/NumberText.h"
#include "orelib/SetupLayout.h"
#include "orelib/StringFormat.h"
#include "orelib/win32/FileResource.h"
#include "orelib/win32/Files.h"
#include "orelib/win32/MappedView.h"
#include "resources/resource.h"

namespace app {

std::wstring SetupFileReadErrorText(HRESULT hr, const orelib::CUiText& uiText) {
    return uiText.LoadUiString(IDS_CANNOT_READ) + L" (" + orelib::DecimalText(static_cast<int32_t>(hr)) + L")";
}

std::wstring SizeMismatchText(int64_t expected, int64_t actual, const orelib::CUiText& uiText) {
    return uiText.LoadUiString(IDS_CORRUPTED) + L"\n\n" +
           // Filled in by a fixed rule: no translation can make a formatter
           // read what is not there.
           orelib::FormatWithValues(uiText.LoadUiString(IDS_SIZE_MISMATCH), L"%I64d",
                                    {orelib::DecimalText(expected), orelib::DecimalText(actual)});
}

StepResult CheckSetupFileSize(HANDLE file, const orelib::CUiText& uiText) {
    // Only the start is mapped for the headers; the real size comes from the
    // file system, not from reading the file.
    orelib::CMappedView view;
    HRESULT hr = view.MapFileStart(file, orelib::kHeaderWindow);
    LARGE_INTEGER actual{};
    if (SUCCEEDED(hr) && !GetFileSizeEx(file, &actual)) hr = orelib::FailureFromLastError();
    if (FAILED(hr)) return StepResult::Fail(hr, SetupFileReadErrorText(hr, uiText));

    // An unsigned file's resource is read through the same handle, by our own
    // parser, from as much of the file as resources may occupy.
    const auto readResource = [file](std::vector<uint8_t>* bytes) {
        const std::wstring name(std::begin(orelib::kSizeResourceName), std::end(orelib::kSizeResourceName) - 1);
        uint32_t length = 0;
        return SUCCEEDED(orelib::ReadFileResource(file, name.c_str(), bytes, &length));
    };
    const orelib::SetupSize size =
        orelib::CheckSetupFileSize(view.Data(), view.Size(), readResource, static_cast<uint64_t>(actual.QuadPart));
    if (size.problem == orelib::SizeProblem::None) return StepResult::Ok();
    if (const char* fixed = orelib::FixedSizeProblemText(size.problem)) {
        return StepResult::Fail(HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT),
                                std::wstring(fixed, fixed + std::char_traits<char>::length(fixed)));
    }
    return StepResult::Fail(HRESULT_FROM_WIN32(ERROR_FILE_CORRUPT),
                            SizeMismatchText(static_cast<int64_t>(size.expected), actual.QuadPart, uiText));
}

StepResult LoadPayloadDigest(orelib::COwnFile& file) {
    if (file.LoadPayloadDigest(GetModuleHandleW(nullptr))) return StepResult::Ok();
    return StepResult::Fail(HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT), L"Resource _KTV_DIGEST is not found.");
}

}  // namespace app
