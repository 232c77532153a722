// Defines, once for the whole program, the interface IDs that the archive
// library's headers only declare. Built into the library itself, so that its
// objects find them whatever the link order.
#include "CPP/Common/MyInitGuid.h"

#include "CPP/7zip/Archive/IArchive.h"
#include "CPP/7zip/ICoder.h"
#include "CPP/7zip/IPassword.h"
#include "CPP/7zip/IProgress.h"
#include "CPP/7zip/IStream.h"
#include "CPP/7zip/UI/Common/IFileExtractCallback.h"
