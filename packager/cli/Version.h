#pragma once
// What `sfxpack --version` prints.
namespace sfxpack {

inline constexpr char kSfxpackVersion[] = "1.0";

// The version of the 7-Zip archive library the stub is built with.
const char* GetArchiveLibraryVersion();

}  // namespace sfxpack
