#pragma once
// Extraction in two stages: the archive handler decodes on a thread of its
// own while the calling thread makes, writes and closes the files. Creating,
// closing and stamping a file costs more than decoding it on many systems,
// and a single thread pays both one after the other.
#include "extract/SevenZip.h"

#include "CPP/7zip/Archive/IArchive.h"

namespace extract {

// Decoded data the handler may hold ahead of the files being made. Making a
// file costs about a millisecond on some systems, and a run of hundreds of
// small files would stop the decoder without room to go on into the large
// files after them; 16 MiB is half the dictionary of a default archive.
constexpr size_t kDefaultMaxAheadBytes = 16u << 20;

// Extracts every item of `archive` through `callback`, as
// archive->Extract(all items, not testing, callback) would. Every call the
// handler makes on the callback is carried out on the calling thread, in the
// handler's order; the handler runs ahead by at most about `maxAheadBytes`
// of decoded data (one write more). The callback's first failure stops the handler at its next call, and
// nothing the handler asked after that failing call reaches the callback.
// Returns the callback's first failure, else the handler's own result; what
// is thrown on either side counts as E_OUTOFMEMORY, as inside the handler.
// Without a second thread it is archive->Extract on the calling thread.
HRESULT ExtractPipelined(IInArchive* archive, IArchiveExtractCallback* callback,
                         size_t maxAheadBytes = kDefaultMaxAheadBytes);

}  // namespace extract
