#include "platform/rtl/Clock.h"

#include "platform/rtl/Atomic.h"

#include <thread>
#include <vector>

#include <gtest/gtest.h>

using namespace rtl;

TEST(Clock, VirtualClockStandsStillUntilAdvanced) {
    {
        TVirtualClockScope clock(1000);
        EXPECT_TRUE(TClock::IsVirtual());
        EXPECT_EQ(GetTickCount64(), 1000u);
        EXPECT_EQ(GetTickCount64(), 1000u);
        TClock::Advance(250);
        EXPECT_EQ(GetTickCount64(), 1250u);

        // Advances from several threads all count.
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([] {
                for (int i = 0; i < 1000; ++i)
                    TClock::Advance(1);
            });
        for (auto& thread : threads)
            thread.join();
        EXPECT_EQ(GetTickCount64(), 5250u);

        TClock::UseVirtual(0x1'0000'0005);
        EXPECT_EQ(TickCount(), 5u) << "the 32-bit count wraps";
    }
    EXPECT_FALSE(TClock::IsVirtual());
    std::uint64_t before = GetTickCount64();
    TClock::Advance(1'000'000); // ignored by the real clock
    EXPECT_LT(GetTickCount64() - before, 1'000'000u);
    EXPECT_GE(GetTickCount64(), before);
}

TEST(Atomic, CountersAreExactUnderContention) {
    int counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&counter] {
            for (int i = 0; i < 10000; ++i) {
                AtomicIncrement(counter);
                AtomicIncrement(counter);
                AtomicDecrement(counter);
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 40000);

    EXPECT_EQ(AtomicIncrement(counter, 5), 40005) << "returns the new value";
    EXPECT_EQ(AtomicDecrement(counter), 40004);
    EXPECT_EQ(AtomicExchange(counter, 7), 40004) << "returns the old value";
    EXPECT_EQ(AtomicCmpExchange(counter, 9, 8), 7) << "no exchange when the comparand differs";
    EXPECT_EQ(counter, 7);
    EXPECT_EQ(AtomicCmpExchange(counter, 9, 7), 7);
    EXPECT_EQ(counter, 9);
}
