#include "orelib/win32/ReadConfigText.h"

#include "orelib/ConfigBlock.h"
#include "orelib/win32/Files.h"
#include "orelib/win32/Handle.h"
#include "orelib/win32/MappedView.h"

namespace orelib {

HRESULT ReadConfigText(const std::wstring& exePath, std::wstring& text) {
    text.clear();
    CHandle file(CreateFileW(exePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return FailureFromLastError();

    DWORD high = 0;
    const DWORD low = GetFileSize(file.Get(), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return FailureFromLastError();

    // Only the start of the file is mapped: the block lies in the first 20 MiB.
    const uint64_t size = (static_cast<uint64_t>(high) << 32) | low;
    const size_t window = size < kConfigScanWindow ? static_cast<size_t>(size) : kConfigScanWindow;
    CMappedView view;
    const HRESULT hr = view.MapReadOnly(file.Get(), window);
    if (FAILED(hr)) return hr;

    switch (DecodeConfigBlock(view.Data(), view.Size(), &text)) {
    case ConfigBlockStatus::Ok:
        return S_OK;
    case ConfigBlockStatus::InvalidText:
        return kConfigNotUtf8;
    case ConfigBlockStatus::NotFound:
        break;
    }
    return kConfigNotFound;
}

}  // namespace orelib
