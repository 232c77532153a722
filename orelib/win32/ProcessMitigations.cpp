#include "orelib/win32/ProcessMitigations.h"

#include <windows.h>

#include "orelib/win32/DynamicCalls.h"

namespace orelib {

namespace {

// PROCESS_MITIGATION_POLICY numbers and the bits of their structures, each
// structure a single DWORD of flags.
constexpr int kProcessImageLoadPolicy = 10;
constexpr int kProcessRedirectionTrustPolicy = 16;
constexpr DWORD kNoRemoteImages = 0x1;
constexpr DWORD kPreferSystem32Images = 0x4;
constexpr DWORD kEnforceRedirectionTrust = 0x1;

struct MitigationRequest {
    int policy;
    DWORD flags;
};

constexpr MitigationRequest kMitigations[] = {
    // No DLL from a network share or WebDAV; a DLL name that system32 holds
    // is taken from there before any other folder.
    {kProcessImageLoadPolicy, kNoRemoteImages | kPreferSystem32Images},
    // The elevated process follows no file-system junction that a
    // non-administrator created (a user could otherwise redirect its writes
    // into folders only administrators may change).
    {kProcessRedirectionTrustPolicy, kEnforceRedirectionTrust},
};

}  // namespace

void ApplyProcessMitigations() {
    // A damaged heap ends the process instead of being used further.
    HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);
    for (const MitigationRequest& request : kMitigations) {
        DWORD flags = request.flags;
        CallSetProcessMitigationPolicy(request.policy, &flags, sizeof flags);
    }
}

}  // namespace orelib
