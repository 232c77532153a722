#include "packager/pe/ExecutionLevel.h"

#include <algorithm>

#include "packager/pe/BrandingError.h"

namespace sfxpack {

namespace {

struct CLevelName {
    ExecutionLevel level;
    const char* option;
    const char* manifest;
};
constexpr CLevelName kLevels[] = {
    {ExecutionLevel::Admin, "admin", "requireAdministrator"},
    {ExecutionLevel::Highest, "highest", "highestAvailable"},
    {ExecutionLevel::User, "user", "asInvoker"},
};

// Where the level attribute's value lies in the manifest text: [begin, end).
bool FindLevelValue(const std::string& text, size_t* begin, size_t* end) {
    const size_t element = text.find("<requestedExecutionLevel");
    if (element == std::string::npos) return false;
    const size_t close = text.find('>', element);
    const size_t attribute = text.find(" level=\"", element);
    if (attribute == std::string::npos || attribute > close) return false;
    *begin = attribute + 8;
    *end = text.find('"', *begin);
    return *end != std::string::npos && *end < close;
}

}  // namespace

bool ParseExecutionLevel(const std::string& text, ExecutionLevel* level) {
    for (const CLevelName& name : kLevels) {
        if (text == name.option) {
            *level = name.level;
            return true;
        }
    }
    return false;
}

const char* ManifestLevelName(ExecutionLevel level) {
    for (const CLevelName& name : kLevels) {
        if (name.level == level) return name.manifest;
    }
    return "";
}

std::string ReadManifestLevel(const std::vector<uint8_t>& manifest) {
    const std::string text(manifest.begin(), manifest.end());
    size_t begin = 0, end = 0;
    return FindLevelValue(text, &begin, &end) ? text.substr(begin, end - begin) : std::string();
}

void SetManifestLevel(std::vector<uint8_t>* manifest, ExecutionLevel level) {
    std::string text(manifest->begin(), manifest->end());
    size_t begin = 0, end = 0;
    if (!FindLevelValue(text, &begin, &end)) throw BrandingError("its manifest has no requestedExecutionLevel");
    text.replace(begin, end - begin, ManifestLevelName(level));
    manifest->assign(text.begin(), text.end());
}

}  // namespace sfxpack
