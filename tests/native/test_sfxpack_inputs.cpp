// What build refuses or rewrites before it packs: configuration encodings,
// ${NAME} defines, version texts and the 4 GiB limit. One table each.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "packager/config/ConfigEncoding.h"
#include "packager/config/Defines.h"
#include "packager/core/LayoutRules.h"
#include "packager/pe/VersionResource.h"

TEST(SfxpackInputs, ConfigurationEncodingIsNamed) {
    const std::string ascii = "[main]\nSetupFileName=setup.exe\n";
    std::string le, be;
    for (char c : ascii) le += std::string{c, '\0'}, be += std::string{'\0', c};
    const struct {
        std::string bytes;
        const char* reason;  // part of it; empty: accepted
    } cases[] = {
        {ascii, ""},
        {"\xEF\xBB\xBF" + ascii, ""},  // the check names the byte-order mark
        {"[main]\nProductName=Caf\xC3\xA9\n", ""},
        {"\xFF\xFE" + le, "UTF-16 little-endian (with a byte-order mark)"},
        {"\xFE\xFF" + be, "UTF-16 big-endian (with a byte-order mark)"},
        {le, "UTF-16 little-endian (without a byte-order mark)"},
        {be, "UTF-16 big-endian (without a byte-order mark)"},
        {ascii + std::string(1, '\0'), "NUL byte at offset 31"},
        {"[main]\nProductName=Caf\xE9\n", "not valid UTF-8"},
    };
    for (const auto& c : cases) {
        const std::string got = sfxpack::DescribeConfigEncoding(c.bytes).value_or("");
        if (*c.reason == '\0') {
            EXPECT_EQ("", got) << c.bytes;
        } else {
            EXPECT_NE(std::string::npos, got.find(c.reason)) << got;
        }
    }
}

TEST(SfxpackInputs, DefinesReplaceNamesAndNameEveryUndefinedOneWithItsLine) {
    const sfxpack::Defines defines{{"VER", "2.1"}, {"Product.Name", "Acme ${VER}"}};
    const struct {
        std::string text, expanded;
        std::vector<size_t> problemLines;
    } cases[] = {
        {"[main]\nProductName=${Product.Name} ${VER}\n", "[main]\nProductName=Acme ${VER} 2.1\n", {}},
        {"a=$${VER} $$ $x", "a=${VER} $$ $x", {}},
        {"a\nb=${NOPE}\nc=${VER}${ALSO}\n", "a\nb=${NOPE}\nc=2.1${ALSO}\n", {2, 3}},
        {"a=${VER\n", "a=${VER\n", {1}},
        {"a=${1x}", "a=${1x}", {1}},
    };
    for (const auto& c : cases) {
        std::vector<sfxpack::DefineProblem> problems;
        EXPECT_EQ(c.expanded, sfxpack::ExpandDefines(c.text, defines, &problems));
        std::vector<size_t> lines;
        for (const auto& problem : problems) lines.push_back(problem.line);
        EXPECT_EQ(c.problemLines, lines) << c.text;
    }
}

TEST(SfxpackInputs, VersionTextsNeedALeadingNumberAndATailIsStated) {
    const struct {
        const char* text;
        const char* problem;  // part of it; empty: accepted
        const char* note;     // part of it; empty: none
    } cases[] = {
        {"3.2.1", "", ""},
        {"1.2.3.4", "", ""},
        {"2.1-beta", "", "numeric version is 2.1.0.0"},
        {"1.2.3.4.5", "", "numeric version is 1.2.3.4"},
        {"7.", "", "numeric version is 7.0.0.0"},
        {"v2.1", "does not start with a version number", ""},
        {"", "does not start with a version number", ""},
        {"1.70000", "larger than 65535", ""},
    };
    for (const auto& c : cases) {
        std::string note;
        const std::string problem = sfxpack::CheckVersionText("FileVersion", c.text, &note).value_or("");
        EXPECT_EQ(*c.problem == '\0', problem.empty()) << c.text << ": " << problem;
        EXPECT_NE(std::string::npos, problem.find(c.problem)) << c.text;
        EXPECT_EQ(*c.note == '\0', note.empty()) << c.text << ": " << note;
        EXPECT_NE(std::string::npos, note.find(c.note)) << c.text;
    }
}

TEST(SfxpackInputs, AFileOver4GiBIsRefusedAndASignedOneKeepsRoomForItsSignature) {
    const uint64_t max = sfxpack::kMaxSetupSize;
    const struct {
        uint64_t size;
        bool signing;
        const char* problem;  // part of it; empty: accepted
    } cases[] = {
        {max, false, ""},
        {max + 1, false, "never been tried"},
        {max - sfxpack::kSignatureReserve, true, ""},
        {max - sfxpack::kSignatureReserve + 1, true, "cannot be signed"},
    };
    for (const auto& c : cases) {
        const std::string problem = sfxpack::CheckSetupSizeLimit(c.size, c.signing).value_or("");
        EXPECT_EQ(*c.problem == '\0', problem.empty()) << c.size << ": " << problem;
        EXPECT_NE(std::string::npos, problem.find(c.problem)) << c.size;
    }
}
