#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/OrderedWork.h"

namespace zefir {
namespace {

// Results come back in the order handed in, whatever order the workers
// finish in; a job's exception comes out in its own turn and the rest go on;
// the window fills at its size.
TEST(OrderedWork, ResultsInOrderWithEachFailureInItsTurn)
{
    struct Case {
        const char* name;
        std::size_t workers;
        std::size_t window;
        int jobs;
        int failing; // -1: none
    } cases[] = {
        {"on the calling thread", 0, 3, 10, 4},
        {"one worker", 1, 2, 9, 0},
        {"more workers than the window", 6, 2, 25, -1},
        {"wide window, last fails", 3, 16, 40, 39},
        {"fewer jobs than the window", 4, 16, 5, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::thread::id caller = std::this_thread::get_id();
        OrderedWork<std::pair<int, std::thread::id>> work(c.workers, c.window);
        std::vector<int> got;
        auto take = [&] {
            try {
                auto [value, thread] = work.Next();
                EXPECT_EQ(thread == caller, c.workers == 0);
                got.push_back(value);
            } catch (const std::runtime_error& e) {
                got.push_back(-std::stoi(e.what()));
            }
        };
        for (int i = 0; i < c.jobs; ++i) {
            if (work.Full())
                take();
            EXPECT_FALSE(work.Full());
            work.Submit([i, &c] {
                // Early jobs take longest, so that later ones finish first.
                if (c.workers > 1 && i % 3 == 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                if (i == c.failing)
                    throw std::runtime_error(std::to_string(i));
                return std::pair(i * i, std::this_thread::get_id());
            });
            EXPECT_EQ(work.Full(), i + 1 >= static_cast<int>(c.window));
        }
        while (!work.Empty())
            take();
        ASSERT_EQ(got.size(), static_cast<std::size_t>(c.jobs));
        for (int i = 0; i < c.jobs; ++i)
            EXPECT_EQ(got[i], i == c.failing ? -i : i * i) << "job " << i;
    }
}

// An operation that stops leaves its jobs behind: they are dropped or
// finished, never left running, however many there are.
TEST(OrderedWork, StoppingWithJobsInFlight)
{
    std::atomic<int> ran = 0;
    {
        OrderedWork<int> work(2, 64);
        for (int i = 0; i < 64; ++i)
            work.Submit([&ran] {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                return ++ran;
            });
        EXPECT_GE(work.Next(), 1);
    }
    const int afterStop = ran;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ran, afterStop);
    EXPECT_LT(afterStop, 64);
}

} // namespace
} // namespace zefir
