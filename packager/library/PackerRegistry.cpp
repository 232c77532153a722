// The coders the packager writes and checks with, registered
// with the archive library by the static constructors of its registration
// files, and the CRC table, the SHA and match-finder preparation, done the same
// way. Those files export nothing; compiled here, they come with the one
// symbol below, which the packager's archive code refers to, so that the
// linker keeps them. The 7z handler itself is created directly.
#include "CPP/Common/CRC.cpp"
#include "CPP/Common/LzFindPrepare.cpp"
#include "CPP/Common/Sha1Prepare.cpp"
#include "CPP/Common/Sha256Prepare.cpp"
#include "CPP/Common/Sha512Prepare.cpp"
#include "CPP/7zip/Compress/Bcj2Register.cpp"
#include "CPP/7zip/Compress/BcjRegister.cpp"
#include "CPP/7zip/Compress/CopyRegister.cpp"
#include "CPP/7zip/Compress/Lzma2Register.cpp"
#include "CPP/7zip/Compress/LzmaRegister.cpp"
#include "CPP/7zip/Crypto/7zAesRegister.cpp"

#include "packager/library/PackerRegistry.h"

void RequireSevenZipPackerRegistry() {}
