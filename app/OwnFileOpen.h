#pragma once
// The own file's open, started on a thread of its own as soon as the process
// protections are in place. The open waits before its first attempt (a
// scanner may still hold a fresh download); started this early, that wait
// passes while the dialogs' libraries load and the application starts,
// instead of after them. The open itself is the same either way.
#include <windows.h>

#include "orelib/win32/OwnFile.h"

namespace app {

// Starts the open; once, from the process protections, before anything
// else of the run. Without it the open happens when it is finished.
void StartOwnFileOpen();

// Waits for the open started above and moves its file into `file`, or opens
// it here when none was started. The open's result.
HRESULT FinishOwnFileOpen(orelib::COwnFile* file);

}  // namespace app
