// The rights a setup file asks for: the stub's own manifest, rewritten.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "packager/core/PackError.h"
#include "packager/pe/ExecutionLevel.h"

TEST(ExecutionLevel, TheStubsManifestTakesEachLevelAndKeepsTheRest) {
    std::ifstream file(SFX_SOURCE_DIR "/resources/sfxstub.manifest", std::ios::binary);
    const std::vector<uint8_t> manifest{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ASSERT_EQ(sfxpack::ReadManifestLevel(manifest), "requireAdministrator");
    struct Case {
        const char* option;
        const char* level;
    };
    const Case cases[] = {{"admin", "requireAdministrator"}, {"highest", "highestAvailable"}, {"user", "asInvoker"}};
    for (const Case& c : cases) {
        sfxpack::ExecutionLevel level;
        ASSERT_TRUE(sfxpack::ParseExecutionLevel(c.option, &level)) << c.option;
        std::vector<uint8_t> changed = manifest;
        sfxpack::SetManifestLevel(&changed, level);
        EXPECT_EQ(sfxpack::ReadManifestLevel(changed), c.level) << c.option;
        // Only the attribute's value changed: the rest of the text is the same.
        std::string before(manifest.begin(), manifest.end()), after(changed.begin(), changed.end());
        before.replace(before.find("requireAdministrator"), 20, c.level);
        EXPECT_EQ(after, before) << c.option;
    }
    sfxpack::ExecutionLevel level;
    EXPECT_FALSE(sfxpack::ParseExecutionLevel("asInvoker", &level));
    std::vector<uint8_t> none{'<', 'a', '/', '>'};
    EXPECT_THROW(sfxpack::SetManifestLevel(&none, sfxpack::ExecutionLevel::User), sfxpack::CPackError);
    EXPECT_EQ(sfxpack::ReadManifestLevel(none), "");
}
