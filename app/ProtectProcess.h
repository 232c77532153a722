#pragma once
// The process protections: the first thing the entry point does.

namespace app {

// Applies the mitigation policies, restricts the DLL search to the system
// folder, seeds the stack protector's guard, starts the own file's open and
// loads the libraries that others load by name from the system folder.
// Call once, from a frame without the stack protector's check.
void ProtectProcess();

}  // namespace app
