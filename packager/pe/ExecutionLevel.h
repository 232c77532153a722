#pragma once
// The rights a setup file asks Windows for when it starts: the
// requestedExecutionLevel of the stub's manifest, which a vendor chooses.
#include <cstdint>
#include <string>
#include <vector>

namespace sfxpack {

// admin: requireAdministrator (the stub's own, the default); highest:
// highestAvailable; user: asInvoker, a per-user package that runs with the
// rights of whoever starts it.
enum class ExecutionLevel { Admin, Highest, User };

// "admin", "highest", "user"; false for anything else.
bool ParseExecutionLevel(const std::string& text, ExecutionLevel* level);
// The manifest's word for it: "requireAdministrator", ...
const char* ManifestLevelName(ExecutionLevel level);

// The level attribute of the manifest's requestedExecutionLevel; "" when the
// manifest has none.
std::string ReadManifestLevel(const std::vector<uint8_t>& manifest);
// Sets that attribute; throws CPackError when the manifest has none to set.
void SetManifestLevel(std::vector<uint8_t>* manifest, ExecutionLevel level);

}  // namespace sfxpack
