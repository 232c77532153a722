#pragma once
// Reading a data resource out of a PE file on disk, without loading it.
#include <windows.h>

#include <cstdint>
#include <vector>

namespace orelib {

// A named RT_RCDATA resource of the PE file open as `peFile`, read by a
// bounded parser from a view of the file, never by the system's loader.
HRESULT ReadFileResource(HANDLE peFile, const wchar_t* resourceName, std::vector<uint8_t>* out, uint32_t* size);

}  // namespace orelib
