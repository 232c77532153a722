// sfxpack: builds setup files from a folder or archive and a configuration,
// and inspects them.
#include <iostream>
#include <string>
#include <vector>

#include "packager/cli/Cli.h"
#include "packager/platform/SignalCleanup.h"

#ifdef _WIN32
#include <windows.h>

#include "packager/core/WideText.h"

namespace {

// Messages are UTF-8, and the progress line rewrites itself with escape
// sequences; a console shows both only when set so. The console keeps its
// settings after we end, so the caller's are put back.
class CConsoleSettings {
public:
    CConsoleSettings() : m_oldCodePage(GetConsoleOutputCP()), m_error(GetStdHandle(STD_ERROR_HANDLE)) {
        if (m_oldCodePage != 0) SetConsoleOutputCP(CP_UTF8);
        m_hasMode = GetConsoleMode(m_error, &m_oldMode) != 0;
        if (m_hasMode) SetConsoleMode(m_error, m_oldMode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }
    ~CConsoleSettings() {
        if (m_hasMode) SetConsoleMode(m_error, m_oldMode);
        if (m_oldCodePage != 0) SetConsoleOutputCP(m_oldCodePage);
    }
    CConsoleSettings(const CConsoleSettings&) = delete;
    CConsoleSettings& operator=(const CConsoleSettings&) = delete;

private:
    UINT m_oldCodePage;
    HANDLE m_error;
    DWORD m_oldMode = 0;
    bool m_hasMode = false;
};

}  // namespace

// The command line in UTF-16, so that every name arrives intact whatever
// the system's code page; the packager works in UTF-8.
int wmain(int argc, wchar_t** argv) {
    sfxpack::InstallSignalCleanup();
    CConsoleSettings console;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(sfxpack::ToUtf8(argv[i]));
    const int code = sfxpack::RunCommandLine(args, std::cout, std::cerr);
    std::cout.flush();
    std::cerr.flush();
    return sfxpack::EndOfRun(code);
}
#else
int main(int argc, char** argv) {
    sfxpack::InstallSignalCleanup();
    const std::vector<std::string> args(argv + 1, argv + argc);
    return sfxpack::RunCommandLine(args, std::cout, std::cerr);
}
#endif
