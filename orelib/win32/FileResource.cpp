#include "orelib/win32/FileResource.h"

#include <string>

#include "orelib/PeImage.h"
#include "orelib/win32/Files.h"
#include "orelib/win32/MappedView.h"
#include "orelib/win32/Result.h"

namespace orelib {

namespace {
constexpr uint64_t kMaxResourceWindow = 100u * 1024 * 1024;       // resources lie far below this
constexpr HRESULT kNotMzFile = HresultFromWin32(ERROR_RESOURCE_DATA_NOT_FOUND);
constexpr uint16_t kRtRcdata = 10;
}  // namespace

HRESULT ReadFileResource(HANDLE peFile, const wchar_t* resourceName, std::vector<uint8_t>* out, uint32_t* size) {
    out->clear();
    *size = 0;
    if (IS_INTRESOURCE(resourceName)) return E_INVALIDARG;  // only named resources are read

    CMappedView view;
    RETURN_IF_FAILED(view.MapFileStart(peFile, kMaxResourceWindow));
    if (view.Size() < 2 || view.Data()[0] != 'M' || view.Data()[1] != 'Z') return kNotMzFile;

    // The file is read by our own bounded parser, never loaded or handed to the
    // system's resource loader: it may be anything a download left behind.
    const std::wstring name(resourceName);
    size_t offset = 0;
    uint32_t dataSize = 0;
    if (!PeImage(view.Data(), view.Size())
             .FindNamedResource(kRtRcdata, std::u16string(name.begin(), name.end()), &offset, &dataSize)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return HresultFromWin32(ERROR_RESOURCE_NAME_NOT_FOUND);
    }
    out->assign(view.Data() + offset, view.Data() + offset + dataSize);
    *size = dataSize;
    return S_OK;
}

}  // namespace orelib
