#pragma once
// The messages the extraction worker sends or posts to the window it reports
// to, and the answers it expects.
#include <windows.h>

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
