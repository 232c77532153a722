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

    // Only the start of the file is mapped: the block lies in the first 20 MiB.
    CMappedView view;
    const HRESULT hr = view.MapFileStart(file.Get(), kConfigScanWindow);
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
