#include "packager/config/Defines.h"

namespace sfxpack {

namespace {

bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNamePart(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '.' || c == '-'; }

}  // namespace

bool IsDefineName(const std::string& name) {
    if (name.empty() || !IsNameStart(name[0])) return false;
    for (char c : name) {
        if (!IsNamePart(c)) return false;
    }
    return true;
}

std::string ExpandDefines(const std::string& text, const Defines& defines, std::vector<DefineProblem>* problems) {
    std::string out;
    size_t line = 1;
    for (size_t i = 0; i < text.size();) {
        if (text[i] == '\n') ++line;
        if (text.compare(i, 3, "$${") == 0) {
            out += "${";
            i += 3;
            continue;
        }
        if (text.compare(i, 2, "${") != 0) {
            out += text[i++];
            continue;
        }
        const size_t close = text.find('}', i + 2);
        const std::string name = close == std::string::npos ? std::string() : text.substr(i + 2, close - i - 2);
        if (!IsDefineName(name)) {
            problems->push_back({line, "'${' does not open a ${NAME} (write '$${' for a '${' of its own)"});
            out += text[i++];
            continue;
        }
        const auto found = defines.find(name);
        if (found == defines.end()) {
            problems->push_back({line, "${" + name + "} is not defined (give --define " + name + "=VALUE)"});
            out += text.substr(i, close + 1 - i);
        } else {
            out += found->second;
        }
        i = close + 1;
    }
    return out;
}

}  // namespace sfxpack
