// Defines, once for the packager, the interface IDs that the archive
// library's headers only declare.
#include "CPP/Common/MyInitGuid.h"

#include "CPP/7zip/Archive/IArchive.h"
#include "CPP/7zip/ICoder.h"
#include "CPP/7zip/IPassword.h"
#include "CPP/7zip/IProgress.h"
#include "CPP/7zip/IStream.h"
