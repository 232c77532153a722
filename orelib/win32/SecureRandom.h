#pragma once
// Random bytes from the system's cryptographic generator.
#include <cstddef>

namespace orelib {

// RtlGenRandom (advapi32 SystemFunction036, looked up at the call). False
// when it is missing or fails.
bool FillSecureRandom(unsigned char* buffer, size_t size);

}  // namespace orelib
