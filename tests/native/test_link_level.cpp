// Which levels of a path lead elsewhere: links do, cloud placeholders do not.
#include <gtest/gtest.h>

#include "orelib/LinkLevel.h"

TEST(LinkLevel, OnlyNameSurrogatesAndFollowedLinksLeadElsewhere) {
    constexpr uint32_t kFolder = 0x10, kReparse = 0x400, kOffline = 0x1000, kPinned = 0x80000;
    struct Case {
        const char* what;
        uint32_t attributes, tag, listed;
        bool link;
    };
    const Case cases[] = {
        {"plain folder", kFolder, 0, kFolder, false},
        {"junction", kFolder | kReparse, 0xA0000003u, kFolder | kReparse, true},
        {"symbolic link", kFolder | kReparse, 0xA000000Cu, kFolder | kReparse, true},
        {"OneDrive placeholder folder", kFolder | kReparse | kPinned, 0x9000601Au, kFolder | kReparse, false},
        {"cloud file, not present", kFolder | kReparse | kOffline, 0x9000001Au, kFolder | kReparse, false},
        {"deduplicated", kFolder | kReparse, 0x80000013u, kFolder | kReparse, false},
        {"a Unix link opened as itself", 0, 0, kFolder | kReparse, true},
        {"a link the system followed", kFolder, 0, kFolder | kReparse, true},
    };
    for (const Case& c : cases) EXPECT_EQ(orelib::IsLinkLevel(c.attributes, c.tag, c.listed), c.link) << c.what;
}
