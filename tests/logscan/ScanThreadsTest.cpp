#include "logscan/ScanThreads.h"
#include "logscan/detail/OrderedBatches.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include "tests/support/Latch.h"
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace kiv {
namespace {

TEST(ScanThreadsTest, SmallTextsStayOnOneThread)
{
    const struct {
        ScanThreads threads;
        std::size_t bytes;
        unsigned expected;
    } cases[] = {
        {{3, 100}, 99, 1},
        {{3, 100}, 100, 3},
        {{1, 0}, 1 << 30, 1},
        {{4, 0}, 0, 4},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ThreadCountFor(c.threads, c.bytes), c.expected) << c.threads.count << " " << c.bytes;
    const unsigned machine = ThreadCountFor(ScanThreads{}, std::size_t{1} << 30);
    EXPECT_GE(machine, 1u);
    EXPECT_LE(machine, 4u);
    EXPECT_EQ(machine, DefaultThreadCount(ScanKind::ChunksOfOneFile));
    EXPECT_GE(DefaultThreadCount(ScanKind::ManyFiles), machine);
    EXPECT_LE(DefaultThreadCount(ScanKind::ManyFiles), 8u);
}

TEST(ScanThreadsTest, EveryPartRunsOnceAndAFailureComesBackAfterAll)
{
    for (unsigned count : {1u, 2u, 5u}) {
        std::vector<std::atomic<int>> runs(count);
        RunOnThreads(count, [&](unsigned i) { ++runs[i]; });
        for (unsigned i = 0; i < count; ++i)
            EXPECT_EQ(runs[i].load(), 1) << i;
    }
    // The other parts end only once the failure is on its way.
    std::atomic<int> finished{0};
    kivtest::Latch failing(1);
    EXPECT_THROW(RunOnThreads(3,
                              [&](unsigned i) {
                                  if (i == 1) {
                                      failing.count_down();
                                      throw std::runtime_error("plein");
                                  }
                                  failing.wait();
                                  ++finished;
                              }),
                 std::runtime_error);
    EXPECT_EQ(finished.load(), 2);
}

// Batches filled at uneven speeds on any number of helpers come out in order,
// each holding what was made for it.
TEST(DeliverInOrderTest, BatchesComeInOrderWhoeverFillsThem)
{
    for (unsigned helpers : {0u, 1u, 3u}) {
        for (std::size_t count : {0u, 1u, 2u, 37u}) {
            std::vector<std::size_t> delivered;
            DeliverInOrder<std::vector<std::size_t>>(
                count, helpers,
                [](std::vector<std::size_t>& batch, std::size_t b) {
                    if (b % 5 == 1)
                        std::this_thread::sleep_for(std::chrono::milliseconds(2));
                    batch.assign(b % 4 + 1, b);
                },
                [&](const std::vector<std::size_t>& batch, std::size_t b) {
                    EXPECT_EQ(batch, std::vector<std::size_t>(b % 4 + 1, b));
                    delivered.push_back(b);
                    return true;
                });
            std::vector<std::size_t> expected(count);
            for (std::size_t b = 0; b < count; ++b)
                expected[b] = b;
            EXPECT_EQ(delivered, expected) << helpers << " helpers, " << count << " batches";
        }
    }
}

TEST(DeliverInOrderTest, StopsEarlyAndPassesFailuresOn)
{
    for (unsigned helpers : {0u, 2u}) {
        std::vector<std::size_t> delivered;
        const auto record = [&](const std::string&, std::size_t b) {
            delivered.push_back(b);
            return b < 4;
        };
        const auto fill = [](std::string& batch, std::size_t b) { batch = std::to_string(b); };
        DeliverInOrder<std::string>(100, helpers, fill, record);
        EXPECT_EQ(delivered, (std::vector<std::size_t>{0, 1, 2, 3, 4})) << helpers;

        // A failure met while earlier batches are still being filled waits
        // for them: batch 0 is held until batch 3 has failed (with helpers;
        // alone, the calling thread fills them in order), and batches 0 to 2
        // are still delivered before the failure is thrown.
        kivtest::Latch batchThreeFailed(1);
        const auto failingFill = [&](std::string& batch, std::size_t b) {
            if (b == 0 && helpers > 0)
                batchThreeFailed.wait();
            if (b == 3) {
                batchThreeFailed.count_down();
                throw std::runtime_error("m\xE9moire");
            }
            if (b == 5)
                throw std::runtime_error("m\xE9moire");
            batch = std::to_string(b);
        };
        delivered.clear();
        EXPECT_THROW(DeliverInOrder<std::string>(100, helpers, failingFill,
                                                 [&](const std::string&, std::size_t b) {
                                                     delivered.push_back(b);
                                                     return true;
                                                 }),
                     std::runtime_error);
        EXPECT_EQ(delivered, (std::vector<std::size_t>{0, 1, 2})) << helpers;

        const auto failingDeliver = [](const std::string&, std::size_t b) -> bool {
            if (b == 3)
                throw std::logic_error("fin");
            return true;
        };
        EXPECT_THROW(DeliverInOrder<std::string>(100, helpers, fill, failingDeliver), std::logic_error);
    }
}

} // namespace
} // namespace kiv
