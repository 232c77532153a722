// sfxpack: builds setup files from a folder or archive and a configuration,
// and inspects them.
#include <iostream>
#include <string>
#include <vector>

#include "packager/Cli.h"
#include "packager/SignalCleanup.h"

int main(int argc, char** argv) {
    sfxpack::InstallSignalCleanup();
    const std::vector<std::string> args(argv + 1, argv + argc);
    return sfxpack::RunCommandLine(args, std::cout, std::cerr);
}
