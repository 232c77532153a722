// Progress messages: the first, every change after the interval, and the end.
#include <gtest/gtest.h>

#include <vector>

#include "orelib/ProgressThrottle.h"

TEST(ProgressThrottle, SendsChangesAtMostOncePerIntervalAndAlwaysTheEnd) {
    const struct {
        uint32_t value;
        uint64_t time;
        bool sent;
    } steps[] = {
        {0, 1000, true},                                              // the first value goes at once
        {5, 1010, false},                                             // too soon
        {9, 1099, false},    {9, 1100, true},                         // the interval has passed
        {9, 1300, false},                                             // unchanged: never again
        {10, 1300, true},    {400, 1350, false}, {1000, 1360, true},  // the end always goes
        {1000, 1500, false},
    };
    orelib::CProgressThrottle throttle(100);
    for (const auto& s : steps) EXPECT_EQ(throttle.ShouldSend(s.value, s.time), s.sent) << s.value << "@" << s.time;
}
