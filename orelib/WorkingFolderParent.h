#pragma once
// Which folders a run's working folder may be made in, in the order they are
// tried. Pure logic; the caller asks the system for the facts.
#include <string>
#include <vector>

namespace orelib {

// Who the process is and what the system says about its temporary folders.
struct CTempFolderFacts {
    bool isSystem = false;  // the token's user is LocalSystem
    bool elevated = false;  // the token is elevated (SYSTEM's always is)
    std::wstring windowsDir;  // from the system, never from the environment
    // The machine's TMP and TEMP as the registry stores them, before
    // expansion; "" when missing.
    std::wstring machineTmp;
    std::wstring machineTemp;
    std::wstring userTemp;  // the user's TEMP; read only for unelevated runs
};

struct CParentCandidate {
    std::wstring path;
    bool usersOwn = false;  // the user's TEMP, which the user may re-point at will
};

// The folders to try, best first, each once:
//   SYSTEM:                <Windows>\SystemTemp, machine TMP, machine TEMP, <Windows>\Temp
//   elevated, not SYSTEM:  machine TMP, machine TEMP, <Windows>\Temp
//   not elevated:          the user's TEMP
// SystemTemp is closed to everyone but SYSTEM, and the user's TEMP is the
// user's to change: an elevated run uses neither unless it is SYSTEM. The
// machine's variables are expanded with the system's variables only
// (SystemRoot, windir, SystemDrive); one that names anything else, or is not
// an absolute path, is left out.
std::vector<CParentCandidate> WorkingFolderParents(const CTempFolderFacts& facts);

// Expands %NAME% in `text` with the values of `variables` (names compared
// without regard to case, values not expanded again); false when a name is
// not there or a "%" has no partner. "%%" is kept as it is.
struct CVariable {
    const wchar_t* name;
    std::wstring value;
};
bool ExpandVariables(const std::wstring& text, const std::vector<CVariable>& variables, std::wstring* expanded);

}  // namespace orelib
