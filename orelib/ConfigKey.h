#pragma once
// The fixed key of the configuration block, shared by the stub and the packager.
#include <cstdint>

namespace orelib {

// Writes the 16-byte key; it is assembled at run time from four constants so
// that it never stands in the file as one run of bytes.
void GetConfigKey(uint8_t key[16]);

}  // namespace orelib
