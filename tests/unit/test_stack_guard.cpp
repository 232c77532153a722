// The stack protector's guard is drawn from the system's generator.
#include <gtest/gtest.h>

#include "orelib/win32/StackGuard.h"

// The tests are built without the protector, so no frame on the stack holds
// the guard that seeding replaces.
TEST(StackGuard, SeedingDrawsAFreshNonZeroValue) {
    constexpr uintptr_t kCanary = 0xFF0A0000u;
    uintptr_t seen[3] = {};
    for (uintptr_t& value : seen) {
        orelib::SeedStackGuard();
        value = orelib::StackGuardValue();
        EXPECT_NE(value, 0u);
        EXPECT_NE(value, kCanary);
    }
    // Three equal 32-bit draws mean the generator was not used.
    EXPECT_FALSE(seen[0] == seen[1] && seen[1] == seen[2]);
}
