#include <string>
#include <vector>

#include "app/SetupFileCheck.h"
#include "orelib/PeImage.h"
#include "orelib/StringFormat.h"
#include "orelib/win32/FileResource.h"
#include "orelib/win32/Files.h"
#include "orelib/win32/MappedView.h"
#include "resources/resource.h"

namespace {

constexpr uint64_t kHeaderWindow = 0x100000;  // the headers lie in the first 1 MiB
const wchar_t kSizeResource[] = L"_KTV_VERIFY";

}  // namespace

std::wstring SetupFileReadErrorText(HRESULT hr, const orelib::CUiText& uiText) {
    return uiText.LoadUiString(IDS_CANNOT_READ) + L" (" + std::to_wstring(static_cast<int32_t>(hr)) + L")";
}

std::wstring ExpectedSizeFromHeaders(const uint8_t* view, size_t viewSize, int64_t* expected,
                                     bool* needResource) {
    *expected = 0;
    *needResource = false;
    const orelib::PeImage image(view, viewSize);
    switch (image.CheckHeaders()) {
    case orelib::PeHeaderCheck::NotMz:
        return L"File does not have EXE format.";
    case orelib::PeHeaderCheck::BadPeSignature:
        return L"Invalid PE signature.";
    case orelib::PeHeaderCheck::Ok:
        break;
    }
    orelib::PeCertificateEntry certificate;
    // Headers cut off by the window cannot be told from a broken signature.
    if (!image.GetCertificateEntry(&certificate)) return L"Invalid PE signature.";
    if (certificate.offset == 0) {
        *needResource = true;
        return std::wstring();
    }
    // A signing tool appends the table last: its end is the file's end. The
    // sum is taken in 32 bits, as the fields are.
    *expected = static_cast<uint32_t>(certificate.offset + certificate.size);
    return std::wstring();
}

std::wstring ExpectedSizeFromResource(HRESULT readResult, const std::vector<uint8_t>& bytes,
                                      int64_t* expected) {
    *expected = 0;
    if (FAILED(readResult) || bytes.size() != 8) return L"Resource _KTV_VERIFY is not found.";
    uint64_t size = 0;
    for (int i = 7; i >= 0; --i) size = (size << 8) | bytes[i];  // little-endian
    *expected = static_cast<int64_t>(size);
    return std::wstring();
}

std::wstring SizeMismatchText(int64_t expected, int64_t actual, const orelib::CUiText& uiText) {
    if (expected == actual) return std::wstring();
    return uiText.LoadUiString(IDS_CORRUPTED) + L"\n\n" +
           // Filled in by a fixed rule: no translation can make a formatter
           // read what is not there.
           orelib::FormatWithValues(uiText.LoadUiString(IDS_SIZE_MISMATCH), L"%I64d",
                                    {std::to_wstring(expected), std::to_wstring(actual)});
}

std::wstring CheckSetupFileSizeOf(HANDLE file, const orelib::CUiText& uiText) {
    orelib::CMappedView view;
    const HRESULT hr = view.MapFileStart(file, kHeaderWindow);
    if (FAILED(hr)) return SetupFileReadErrorText(hr, uiText);

    int64_t expected = 0;
    bool needResource = false;
    std::wstring text = ExpectedSizeFromHeaders(view.Data(), view.Size(), &expected, &needResource);
    if (!text.empty()) return text;
    if (needResource) {
        std::vector<uint8_t> bytes;
        uint32_t length = 0;
        const HRESULT read = orelib::ReadFileResource(file, kSizeResource, &bytes, &length);
        text = ExpectedSizeFromResource(read, bytes, &expected);
        if (!text.empty()) return text;
    }
    // The real size comes from the file system, not from reading the file.
    LARGE_INTEGER actual;
    if (!GetFileSizeEx(file, &actual)) return SetupFileReadErrorText(orelib::FailureFromLastError(), uiText);
    return SizeMismatchText(expected, actual.QuadPart, uiText);
}
