#pragma once
// Process-wide protections that the system offers and the stub asks for at
// its earliest start.

namespace orelib {

// Heap termination on corruption, then each mitigation policy of the table in
// ProcessMitigations.cpp. A system that lacks one (every policy before
// Windows 8, some before Windows 10 or 11) refuses it; that is no error and
// the rest still apply.
void ApplyProcessMitigations();

}  // namespace orelib
