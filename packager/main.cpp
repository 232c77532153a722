// sfxpack: builds setup files from a folder and a configuration, and inspects them.
#include <cstdio>

int main(int argc, char** argv) {
    std::fprintf(stderr, "sfxpack: not built yet\n");
    return 2;
}
