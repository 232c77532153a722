#pragma once
// Exit codes a run can end with, besides the setup program's own.
#include <cstdint>

namespace dialog {

constexpr uint32_t kExitHelpShown = 87;             // ERROR_INVALID_PARAMETER
constexpr uint32_t kExitUserCancelled = 1602;       // ERROR_INSTALL_USEREXIT
constexpr uint32_t kExitSetupFailed = 0x20001004;   // configuration, integrity, folder or extraction
constexpr uint32_t kExitLaunchFailed = 0x20001005;  // the setup program could not be started

}  // namespace dialog
