#include "extract/ExtractFromStream.h"

#include "CPP/7zip/UI/Common/ArchiveExtractCallback.h"
#include "extract/PipelinedExtract.h"

namespace extract {

HRESULT ExtractFromStream(CCodecs* codecs, const CObjectVector<COpenType>& types, const CIntVector& excludedFormats,
                          IInStream* stream, const UString& name, const CExtractOptions& options,
                          IOpenCallbackUI* openCallback, IExtractCallbackUI* extractCallback,
                          IFolderArchiveExtractCallback* folderCallback) {
    CArchiveExtractCallback* ecs = new CArchiveExtractCallback;
    CMyComPtr<IArchiveExtractCallback> ec(ecs);
    ecs->InitForMulti(false, options.PathMode, options.OverwriteMode, options.ZoneMode, false);
    ecs->InitBeforeNewArchive();

    RINOK(extractCallback->BeforeOpen(name, false))
    CArchiveLink link;
    COpenOptions op;
    op.codecs = codecs;
    op.types = &types;
    op.excludedFormats = &excludedFormats;
    op.stream = stream;
    op.filePath = name;
    const HRESULT opened = link.Open_Strict(op, openCallback);
    if (opened == E_ABORT) return opened;
    RINOK(extractCallback->OpenResult(codecs, link, name, opened))
    if (opened != S_OK || link.Arcs.IsEmpty()) return opened == S_OK ? S_FALSE : opened;

    const CArc& arc = link.Arcs.Back();
    IInArchive* archive = arc.Archive;
    UInt32 numItems = 0;
    RINOK(archive->GetNumberOfItems(&numItems))
    if (numItems == 0) {
        RINOK(extractCallback->ThereAreNoFiles())
        return extractCallback->ExtractResult(S_OK);
    }

    UInt64 packSize = 0;
    RINOK(stream->Seek(0, STREAM_SEEK_END, &packSize))
    const UStringVector removePathParts;
    ecs->Init(options.NtOptions, nullptr, &arc, folderCallback, false, false, options.OutputDir, removePathParts, false,
              packSize);

    CArchiveExtractCallback_Closer closer(ecs);
    // Progress counts from 0 again: the open may have reported some.
    const UInt64 zero = 0;
    RINOK(ec->SetCompleted(&zero))
    HRESULT result = ExtractPipelined(archive, ec);
    const HRESULT closed = closer.Close();
    if (result == S_OK) result = closed;
    result = extractCallback->ExtractResult(result);
    return result;
}

}  // namespace extract
