// The two-thread helper: both halves always finish before it returns, and a
// failure on either side reaches the caller.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "core/elimination/solverthreads.h"

namespace {

TEST(RunSideBySide, RunsBothHalvesOnTwoThreads)
{
    std::thread::id hereId, thereId;
    int here = 0, there = 0;
    kalvor::runSideBySide(
        [&] {
            here = 1;
            hereId = std::this_thread::get_id();
        },
        [&] {
            there = 2;
            thereId = std::this_thread::get_id();
        });
    EXPECT_EQ(1, here);
    EXPECT_EQ(2, there);
    EXPECT_EQ(std::this_thread::get_id(), hereId);
    EXPECT_NE(hereId, thereId);
}

struct Failure {
    const char* name;
    bool hereThrows, thereThrows;
};

TEST(RunSideBySide, PassesOnAFailureAfterBothHalvesEnded)
{
    const Failure cases[]
        = {{"second half throws", false, true}, {"first half throws", true, false}, {"both throw", true, true}};
    for (const Failure& c : cases) {
        std::atomic<bool> thereDone{false};
        const auto here = [&] {
            if (c.hereThrows)
                throw std::runtime_error("here");
        };
        const auto there = [&] {
            // Slow enough that an early return would be seen.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            thereDone = true;
            if (c.thereThrows)
                throw std::runtime_error("there");
        };
        EXPECT_THROW(kalvor::runSideBySide(here, there), std::runtime_error) << c.name;
        EXPECT_TRUE(thereDone) << c.name << ": returned before the second half ended";
    }
}

}  // namespace
