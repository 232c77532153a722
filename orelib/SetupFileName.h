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

// The name as Windows opens it: every component without its trailing dots
// and blanks ("setup.exe." opens "setup.exe").
std::wstring NameAsOpened(const std::wstring& name);

// What kind of file a setup program is, by the name as Windows opens it.
enum class CSetupKind {
    Program,           // ".exe": started by its full path
    InstallerPackage,  // ".msi", ".ms_": msiexec from the system folder
    CommandScript,     // ".bat", ".cmd": the system's cmd.exe, without AutoRun
    Other,             // through the shell's file associations, which the
                       // user's registry may override: never when elevated
};
CSetupKind ClassifySetupFile(const std::wstring& name);

// True when the stub starts this file through the shell's file associations
// (CSetupKind::Other), and so refuses to when it runs elevated.
bool IsShellStartedSetupFile(const std::wstring& name);

}  // namespace orelib
