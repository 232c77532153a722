// The archive format and the decoders the stub supports, registered with the
// archive library by the static constructors of its own registration files,
// and the CRC table and SHA-256 preparation, done the same way. Those files
// export nothing; compiled here, they come with the one symbol below, which
// the extraction code refers to, so that the linker keeps them. Each file
// registers in its own namespace.
#include "CPP/Common/CRC.cpp"
#include "CPP/Common/Sha256Prepare.cpp"
#include "CPP/7zip/Archive/7z/7zRegister.cpp"
#include "CPP/7zip/Compress/Bcj2Register.cpp"
#include "CPP/7zip/Compress/BcjRegister.cpp"
#include "CPP/7zip/Compress/CopyRegister.cpp"
#include "CPP/7zip/Compress/Lzma2Register.cpp"
#include "CPP/7zip/Compress/LzmaRegister.cpp"
#include "CPP/7zip/Crypto/7zAesRegister.cpp"

#include "extract/library/SevenZipRegistry.h"

void RequireSevenZipRegistry() {}
