// The packager's rules for names the stub must create on Windows.
#include <gtest/gtest.h>

#include <string>

#include "packager/archive/NameRules.h"

TEST(WindowsNames, RefusesWhatWindowsCannotHoldAndAcceptsTheRest) {
    const struct {
        std::string name;
        const char* refusal;  // part of the reason; empty: accepted
    } cases[] = {
        {"setup.exe", ""},
        {"read me.txt", ""},
        {".hidden", ""},
        {"Grüße ünter.txt", ""},
        {"日本語.txt", ""},
        {"console.txt", ""},  // only the exact device names
        {"COM10", ""},
        {"LPT0.log", ""},
        {"a.b.c", ""},
        {"CON", "device name CON"},
        {"con", "device name CON"},
        {"con.txt", "device name CON"},
        {"Nul.tar.gz", "device name NUL"},
        {"AUX .txt", "device name AUX"},
        {"prn", "device name PRN"},
        {"com1", "device name COM1"},
        {"LPT9.doc", "device name LPT9"},
        {"CONOUT$", "device name CONOUT$"},
        {"a<b", "character <"},
        {"a>b", "character >"},
        {"c:d", "character :"},
        {"say\"hi\"", "character \""},
        {"x|y", "character |"},
        {"why?", "character ?"},
        {"*.txt", "character *"},
        {"back\\slash", "character \\"},
        {"tab\there", "control character 0x09"},
        {std::string("nul\0byte", 8), "control character 0x00"},
        {"line\nbreak", "control character 0x0A"},
        {"trailing.", "ends in a dot"},
        {"trailing ", "ends in a space"},
        {"..", "ends in a dot"},
        {"\xC3\x28", "not valid UTF-8"},      // broken sequence
        {"\xC0\xAF", "not valid UTF-8"},      // overlong '/'
        {"\xED\xA0\x80", "not valid UTF-8"},  // encoded surrogate
        {"latin1-\xE9t\xE9", "not valid UTF-8"},
    };
    for (const auto& c : cases) {
        const std::string reason = sfxpack::CheckWindowsName(c.name).value_or("");
        if (*c.refusal == '\0') {
            EXPECT_EQ("", reason) << c.name;
        } else {
            EXPECT_NE(std::string::npos, reason.find(c.refusal)) << c.name << " -> " << reason;
        }
    }
}

TEST(WindowsNames, NamesThatDifferOnlyInCaseAreOneFile) {
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"README.txt", "Readme.txt", true}, {"setup.EXE", "SETUP.exe", true},
        {"Grüße", "GRÜSSE", false},  // one to one: no ß -> SS
        {"grüße", "GRÜßE", true},           {"Ärger", "ärger", true},
        {"ΣΟΦΊΑ", "σοφία", true},    // Greek
        {"Привет", "пРИВЕТ", true},  // Cyrillic
        {"ａｂｃ", "ＡＢＣ", true},  // full-width Latin
        {"a.txt", "a.txt ", false},         {"file1", "file2", false},
        {"e\xCC\x81", "\xC3\xA9", false},  // no normalisation: decomposed and composed differ
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.same, sfxpack::WindowsNameKey(c.a) == sfxpack::WindowsNameKey(c.b)) << c.a << " / " << c.b;
    }
}

// Every pair is named once, in path order; files inside two colliding
// folders are covered by the folders' pair; the same name twice is no pair.
TEST(WindowsNames, EveryCollidingPairIsFoundOnce) {
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    const struct {
        std::vector<std::string> paths;
        Pairs pairs;
    } cases[] = {
        {{"a.txt", "b.txt", "sub/a.txt"}, {}},
        {{"A.txt", "B", "a.txt", "b"}, {{"A.txt", "a.txt"}, {"B", "b"}}},
        {{"SUB", "SUB/x", "sub", "sub/x", "sub/y"}, {{"SUB", "sub"}}},
        {{"d/Ärger", "d/ärger"}, {{"d/Ärger", "d/ärger"}}},
        {{"p\\Q.msi", "p/q.msi"}, {{"p/Q.msi", "p/q.msi"}}},
        {{"probe.ini", "probe.ini"}, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.pairs, sfxpack::FindNameCollisions(c.paths)) << c.paths.front();
}
