#pragma once
// --define NAME=VALUE and ${NAME} in the configuration and the version
// strings, so that one configuration serves several builds. Pure logic.
#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace sfxpack {

using Defines = std::map<std::string, std::string>;

// A name starts with a letter or '_' and goes on with letters, digits, '_', '.', '-'.
bool IsDefineName(const std::string& name);

struct DefineProblem {
    size_t line = 0;  // from 1
    std::string message;
};

// `text` with every ${NAME} replaced by its value ("$${" stands for "${").
// Each undefined name, and each "${" that does not open a ${NAME}, adds a
// problem; the text is then left as it was there.
std::string ExpandDefines(const std::string& text, const Defines& defines, std::vector<DefineProblem>* problems);

}  // namespace sfxpack
