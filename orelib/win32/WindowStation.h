#pragma once
// Whether anyone can see this process's windows.
namespace orelib {

// The process's window station is visible (WSF_VISIBLE): the interactive
// one, WinSta0. A service or a deployment tool's SYSTEM process in session 0
// runs on one that is not, where a dialog waits for a click that never
// comes. True when the system does not say.
bool IsWindowStationVisible();

}  // namespace orelib
