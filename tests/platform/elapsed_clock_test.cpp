#include "platform/clock/elapsed_clock.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(GetElapsedMilliseconds, FirstCallSetsTheBaseAndReturnsZero) {
    std::int32_t base = 0;  // at process start, where a clock counting from 0 would leave it unset
    EXPECT_EQ(GetElapsedMilliseconds(&base), 0.0f);
    EXPECT_GT(base, 0);
}

TEST(GetElapsedMilliseconds, CountsWholeMillisecondsFromItsOwnBase) {
    std::int32_t first = 0, second = 0;
    GetElapsedMilliseconds(&first);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    GetElapsedMilliseconds(&second);
    const float sinceFirst = GetElapsedMilliseconds(&first);
    EXPECT_GE(sinceFirst, 30.0f);
    EXPECT_EQ(sinceFirst, static_cast<float>(static_cast<int>(sinceFirst)));
    EXPECT_LT(GetElapsedMilliseconds(&second), sinceFirst);  // each base is independent
}

}  // namespace
