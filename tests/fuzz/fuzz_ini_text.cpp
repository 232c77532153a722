// Fuzzes the INI parser with arbitrary wide text and looks up what it found.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "orelib/IniText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Two bytes a character, so that every 16-bit code unit can occur.
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    orelib::CIniText ini;
    ini.Parse(text);
    std::vector<std::wstring> names;
    ini.GetSectionNames(names);
    for (const std::wstring& name : names) {
        ini.GetString(name, L"SetupFileName", L"setup.exe");
        ini.GetInt(name, L"SetupShow", 1);
    }
    return 0;
}
