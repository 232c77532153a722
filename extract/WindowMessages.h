#pragma once
// The program's private window messages, numbered in this one place: those
// the extraction worker sends or posts to the window it reports to (and the
// answers it expects), the setup worker's and the dialog's own.
#include <windows.h>

namespace extract {

// Posted by the self-extracting dialog to itself once it is shown (at once when hidden).
constexpr UINT WM_SFX_START_EXTRACTION = WM_APP + 1;
// Posted by the setup worker.
constexpr UINT WM_SFX_SETUP_STARTED = WM_APP + 2;   // the setup program runs
constexpr UINT WM_SFX_SETUP_FINISHED = WM_APP + 3;  // (exit code, 1) or (error, 0)
// Sent or posted by the extraction worker.
constexpr UINT WM_SFX_EXTRACT_DONE = WM_APP + 4;       // posted
constexpr UINT WM_SFX_EXTRACT_CANCELLED = WM_APP + 5;  // posted
constexpr UINT WM_SFX_EXTRACT_FAILED = WM_APP + 6;     // posted
constexpr UINT WM_SFX_EXTRACT_ERROR = WM_APP + 7;      // sent: wParam = const ExtractError*
constexpr UINT WM_SFX_PROGRESS = WM_APP + 8;           // sent: lParam = per mille
constexpr UINT WM_SFX_ASK_OVERWRITE = WM_APP + 9;      // sent: lParam = existing file name
constexpr UINT WM_SFX_DELETING_FILES = WM_APP + 10;    // posted
constexpr UINT WM_SFX_ASK_PASSWORD = WM_APP + 11;      // sent: wParam = buffer, lParam = capacity

// Replies to WM_SFX_ASK_OVERWRITE.
constexpr LRESULT kOverwriteCancel = 0;
constexpr LRESULT kOverwriteAll = 1;
constexpr LRESULT kOverwriteNotAsked = -1;

// Capacity of the password buffer, in characters including the terminator.
constexpr int kPasswordCapacity = 1024;

}  // namespace extract
