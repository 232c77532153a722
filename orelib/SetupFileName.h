#pragma once
// Which setup-program names a package may give. The stub starts the named
// file from inside its working folder only, so a name that could leave that
// folder is refused by the stub and by the packager alike.
#include <string>

namespace orelib {

// True for a non-empty relative name such as "setup.exe" or
// "product\pkg.msi". False when the name is absolute ("\x", "\\srv\x",
// "C:\x"), drive-relative ("C:x"), holds a ':' anywhere (a drive or an
// alternate data stream), or has a component made only of dots ("..", "."),
// which the system would resolve to another folder.
bool IsSafeSetupFileName(const std::wstring& name);

// True when the stub starts this file through the shell's file associations:
// anything but an ".exe" or a Windows Installer package (".msi", ".ms_").
bool IsShellStartedSetupFile(const std::wstring& name);

}  // namespace orelib
