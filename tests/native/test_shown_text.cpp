// Text from a file shown on a terminal: nothing in it can steer the terminal.
#include <gtest/gtest.h>

#include <string>

#include "packager/core/ShownText.h"

TEST(ShownText, NothingFromAFileCanSteerTheTerminal) {
    struct Case {
        const char* what;
        std::string text;
        bool keepLines;
        std::string shown;
    };
    const Case cases[] = {
        {"plain", "SetupFileName=setup.exe", false, "SetupFileName=setup.exe"},
        {"non-ASCII kept", "Produkt=Gr\xC3\xBC\xC3\x9F", false, "Produkt=Gr\xC3\xBC\xC3\x9F"},
        {"erase line and move up", "x\x1b[2K\x1b[1A", false, "x\\x1B[2K\\x1B[1A"},
        {"bell, backspace, DEL", "a\x07\x08\x7f", false, "a\\x07\\x08\\x7F"},
        {"C1 control sequence introducer", "a\xC2\x9B" "2J", false, "a\\u009B2J"},
        {"right-to-left override", "abc\xE2\x80\xAE" "gpj.exe", false, "abc\\u202Egpj.exe"},
        {"isolate", "\xE2\x81\xA6x", false, "\\u2066x"},
        {"not UTF-8", "a\xFF\xC3", false, "a\\xFF\\xC3"},
        {"line ends in a one-line message", "a\r\nb\tc", false, "a\\x0D\\x0Ab\\x09c"},
        {"line ends in a configuration text", "[main]\r\nA=1\rB=2\n\tC=3", true, "[main]\nA=1\nB=2\n\tC=3"},
        {"a carriage return cannot overwrite the line", "size check: fails\rsize check: passes", true,
         "size check: fails\nsize check: passes"},
    };
    for (const Case& c : cases) EXPECT_EQ(sfxpack::ShownText(c.text, c.keepLines), c.shown) << c.what;
}
