#pragma once
// Starting programs, and the platform queries that go with it.
#include <windows.h>

#include <cstdint>
#include <string>

#include "orelib/LaunchPlan.h"

namespace orelib {

// Starts file with CreateProcessW, or with ShellExecuteExW ("open", or
// "runas" with kLaunchRunAs) on Windows 6.0 and later unless
// kLaunchAlwaysCreateProcess is set (kLaunchShellBeforeVista: the shell on
// older versions too). Without a working directory an absolute file starts in
// its own folder. When out is given it receives the handles, which the caller
// then owns; the shell fills only the process handle, which can be null when
// no new process was started. False on failure, with the last error set.
bool LaunchProcess(HWND owner, const wchar_t* file, const wchar_t* parameters, PROCESS_INFORMATION* out,
                   const wchar_t* workingDirectory, int showCommand, uint32_t flags);

// The system's version record, read once and then kept for the whole run.
const OSVERSIONINFOEXW& GetOsVersion();
// (major << 16) | minor of GetOsVersion, the form every version test compares.
uint32_t GetOsVersionNumber();

// True only for a 32-bit process on 64-bit Windows.
bool IsWow64();

// GetSystemDirectoryW; empty when it fails.
std::wstring GetSystemDir();

// The process command line after the program name, exactly as typed.
const wchar_t* GetOwnArguments();

}  // namespace orelib
