#pragma once
// The archive library's extraction driver, for one archive read from a
// stream: open it (scanning for its start), then extract every item into
// the output folder of `options`, reporting through the callbacks.
#include "extract/SevenZip.h"

#include "CPP/7zip/UI/Common/Extract.h"

namespace extract {

// `name` is the archive's display name, given to the callbacks; the library
// opens no file by it. The output folder must exist: it is never created
// here. Returns the first failure.
HRESULT ExtractFromStream(CCodecs* codecs, const CObjectVector<COpenType>& types, const CIntVector& excludedFormats,
                          IInStream* stream, const UString& name, const CExtractOptions& options,
                          IOpenCallbackUI* openCallback, IExtractCallbackUI* extractCallback,
                          IFolderArchiveExtractCallback* folderCallback);

}  // namespace extract
