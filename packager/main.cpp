// sfxpack: builds setup files from a folder or archive and a configuration,
// and inspects them.
#include <iostream>
#include <string>
#include <vector>

#include "packager/Cli.h"
#include "packager/SignalCleanup.h"

#ifdef _WIN32
#include <windows.h>

#include "packager/WideText.h"

namespace {

// Messages are UTF-8; a console shows them as such only with its output
// code page set so. The console keeps the setting after we end, so the
// caller's one is put back.
class CUtf8Console {
public:
    CUtf8Console() : m_old(GetConsoleOutputCP()) {
        if (m_old != 0) SetConsoleOutputCP(CP_UTF8);
    }
    ~CUtf8Console() {
        if (m_old != 0) SetConsoleOutputCP(m_old);
    }

private:
    UINT m_old;
};

}  // namespace

// The command line in UTF-16, so that every name arrives intact whatever
// the system's code page; the packager works in UTF-8.
int wmain(int argc, wchar_t** argv) {
    sfxpack::InstallSignalCleanup();
    CUtf8Console console;
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
