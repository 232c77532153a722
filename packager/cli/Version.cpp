#include "packager/cli/Version.h"

#include "C/7zVersion.h"

namespace sfxpack {

const char* GetArchiveLibraryVersion() { return MY_VERSION; }

}  // namespace sfxpack
