#pragma once
// An input stream for the archive library over a file handle that someone
// else owns and keeps open (the program's own file). Reads are positioned, so
// the stream never depends on or moves another reader's file pointer.
#include "extract/SevenZip.h"

#include "CPP/Common/MyCom.h"
#include "CPP/7zip/IStream.h"

namespace extract {

Z7_CLASS_IMP_IInStream(CHandleInStream) public :
    // `file` must stay open for the stream's lifetime.
    HRESULT Init(HANDLE file);

private:
HANDLE m_file = INVALID_HANDLE_VALUE;
UInt64 m_size = 0;
UInt64 m_position = 0;
}
;

}  // namespace extract
