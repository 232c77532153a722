#include "packager/archive/NameRules.h"

#include <algorithm>
#include <map>

#include "orelib/Utf8.h"
#include "packager/core/PackError.h"
#include "packager/platform/Platform.h"

namespace sfxpack {

namespace {

// Device names Windows keeps in every folder, with or without an extension.
const char* const kDeviceNames[] = {
    "CON",  "PRN",  "AUX",  "NUL",  "CONIN$", "CONOUT$", "COM1", "COM2", "COM3", "COM4", "COM5", "COM6",
    "COM7", "COM8", "COM9", "LPT1", "LPT2",   "LPT3",    "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9",
};

const char kForbiddenCharacters[] = "<>:\"|?*\\";

std::u32string Decode(const std::string& name, bool* valid) {
    std::wstring wide;
    *valid = orelib::Utf8ToWide(reinterpret_cast<const uint8_t*>(name.data()), name.size(), &wide);
    std::u32string out;
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t c = static_cast<char32_t>(wide[i]);
        // Where wchar_t is 16 bits wide (Windows) a pair stands for one code point.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(wide[++i]) - 0xDC00);
        }
        out.push_back(c);
    }
    return out;
}

std::string Hex(unsigned char c) {
    const char digits[] = "0123456789ABCDEF";
    return std::string("0x") + digits[c >> 4] + digits[c & 15];
}

}  // namespace

std::optional<std::string> CheckWindowsName(const std::string& name) {
    bool valid = false;
    const std::u32string text = Decode(name, &valid);
    if (!valid) return "the name is not valid UTF-8";
    if (name.empty()) return "the name is empty";
    for (unsigned char c : name) {
        if (c < 0x20) return "the name holds the control character " + Hex(c);
        for (const char* f = kForbiddenCharacters; *f != '\0'; ++f) {
            if (c == static_cast<unsigned char>(*f)) {
                return std::string("the name holds the character ") + *f + ", which Windows does not allow in names";
            }
        }
    }
    if (name.back() == '.' || name.back() == ' ') {
        return std::string("the name ends in a ") + (name.back() == '.' ? "dot" : "space") + ", which Windows drops";
    }
    // "con.txt" and "CON .log" open the device too: compare what comes
    // before the first dot, without trailing spaces.
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    for (const char* device : kDeviceNames) {
        if (stem == device) return "the name is the reserved device name " + stem + " on Windows";
    }
    return std::nullopt;
}

std::u32string WindowsNameKey(const std::string& name) {
    bool valid = false;
    std::u32string key = Decode(name, &valid);
    for (char32_t& c : key) c = SimpleUpperCase(c);
    return key;
}

std::vector<std::pair<std::string, std::string>> FindNameCollisions(const std::vector<std::string>& paths) {
    std::map<std::u32string, std::string> seen;  // key -> first path
    std::vector<std::pair<std::string, std::string>> pairs;
    for (std::string path : paths) {
        std::replace(path.begin(), path.end(), '\\', '/');
        const auto [at, fresh] = seen.emplace(WindowsNameKey(path), path);
        if (fresh || at->second == path) continue;
        const std::string& first = at->second;
        // Same key means same length in code points; the folders differ when the prefixes do.
        const size_t slash = path.rfind('/');
        const size_t firstSlash = first.rfind('/');
        const bool foldersDiffer = slash != std::string::npos && firstSlash != std::string::npos &&
                                   path.compare(0, slash, first, 0, firstSlash) != 0;
        if (!foldersDiffer) pairs.emplace_back(first, path);
    }
    return pairs;
}

void RefuseNameCollisions(const std::vector<std::string>& paths, const std::string& what) {
    const auto pairs = FindNameCollisions(paths);
    if (pairs.empty()) return;
    std::string text;
    for (const auto& pair : pairs) {
        text += (text.empty() ? "'" : "; '") + pair.first + "' and '" + pair.second + "'";
    }
    throw CPackError(what + ": Windows would take each of these " + std::to_string(pairs.size()) +
                         (pairs.size() == 1 ? " pair" : " pairs") +
                         " of names for one file (they differ only in case): " + text,
                     kExitFailure, DiagCode::NamesCollide);
}

}  // namespace sfxpack
