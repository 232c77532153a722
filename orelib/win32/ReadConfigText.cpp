#include "orelib/win32/ReadConfigText.h"

#include "orelib/ConfigBlock.h"
#include "orelib/SetupLayout.h"
#include "orelib/win32/Files.h"
#include "orelib/win32/MappedView.h"
#include "orelib/win32/Result.h"

namespace orelib {

HRESULT ReadConfigText(HANDLE file, std::wstring& text) {
    text.clear();
    // Only the start of the file is mapped: the block lies in the first 20 MiB.
    CMappedView view;
    RETURN_IF_FAILED(view.MapFileStart(file, kBlockScanWindow));

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
