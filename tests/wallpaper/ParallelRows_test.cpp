#include "wallpaper/ParallelRows.h"

#include "astro/OrbiclockError.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace orbiclock {
namespace {

struct Sharing {
    const char* name;
    std::size_t count;
    std::size_t chunkSize;
};

std::ostream& operator<<(std::ostream& out, const Sharing& s)
{
    return out << s.name << " (" << s.count << " in chunks of " << s.chunkSize << ")";
}

constexpr Sharing kSharings[] = {
    {"Nothing", 0, 4},
    {"OneIndex", 1, 1},
    {"OneChunk", 5, 8},
    {"ZeroChunkSizeCountsAsOne", 5, 0},
    {"ShortLastChunk", 7, 3},
    {"SunTableRows", 1049, 16},
    {"TwoImages", 2, 1},
};

class EveryIndexOnce : public testing::TestWithParam<Sharing> {};

TEST_P(EveryIndexOnce, InWholeAlignedChunksOnAtMostTwoThreads)
{
    const Sharing s = GetParam();
    const std::size_t chunkSize = s.chunkSize == 0 ? 1 : s.chunkSize;
    std::vector<std::atomic<int>> visits(s.count);
    std::mutex mutex;
    std::set<std::thread::id> threads;
    std::vector<std::string> badChunks;

    forEachChunkOnTwoThreads(s.count, s.chunkSize, [&](std::size_t begin, std::size_t end) {
        {
            const std::lock_guard lock(mutex);
            threads.insert(std::this_thread::get_id());
            if (begin % chunkSize != 0 || end <= begin || end > s.count ||
                (end - begin != chunkSize && end != s.count))
                badChunks.push_back(std::to_string(begin) + ".." + std::to_string(end));
        }
        for (std::size_t i = begin; i < end && i < s.count; ++i)
            ++visits[i];
    });

    EXPECT_EQ(badChunks, std::vector<std::string>{});
    for (std::size_t i = 0; i < s.count; ++i)
        ASSERT_EQ(visits[i].load(), 1) << "index " << i;
    EXPECT_LE(threads.size(), 2u);
    if (s.count <= chunkSize) { // a single chunk is not worth a thread
        EXPECT_TRUE(threads.empty() || (threads.size() == 1 && *threads.begin() == std::this_thread::get_id()));
    }
}

INSTANTIATE_TEST_SUITE_P(Sharings, EveryIndexOnce, testing::ValuesIn(kSharings),
                         [](const testing::TestParamInfo<Sharing>& row) { return std::string(row.param.name); });

/// Not derived from std::exception: what arrives must be the thrown object itself.
struct ChunkFailure {
    std::size_t chunk;
};

enum class Thrown { FileError, PlainValue };

struct FailureCase {
    const char* name;
    std::size_t count;
    std::size_t failFrom; ///< every chunk from this index on throws
    Thrown thrown;
};

std::ostream& operator<<(std::ostream& out, const FailureCase& c)
{
    return out << c.name;
}

constexpr FailureCase kFailures[] = {
    {"FirstChunkFileError", 40, 0, Thrown::FileError},
    {"MiddleChunkFileError", 200, 37, Thrown::FileError},
    {"LastChunkFileError", 200, 199, Thrown::FileError},
    {"MiddleChunkPlainValue", 200, 37, Thrown::PlainValue},
};

class LowestFailure : public testing::TestWithParam<FailureCase> {};

// Both threads run into failing chunks and race to report them; whichever wins, the caller gets the
// error a loop over the chunks would have met, after every chunk before it has run.
TEST_P(LowestFailure, ReachesTheCallerAsThrownAfterEveryEarlierChunkRan)
{
    const FailureCase c = GetParam();
    for (int round = 0; round < 25; ++round) {
        std::vector<std::atomic<int>> visits(c.count);
        try {
            forEachChunkOnTwoThreads(c.count, 1, [&](std::size_t begin, std::size_t) {
                ++visits[begin];
                // A little work per chunk, so that the worker is under way before the failures start.
                for (int i = 0; i < 20; ++i)
                    std::this_thread::yield();
                if (begin < c.failFrom)
                    return;
                if (c.thrown == Thrown::FileError)
                    throw FileError("chunk " + std::to_string(begin));
                throw ChunkFailure{begin};
            });
            FAIL() << "no exception in round " << round;
        } catch (const FileError& error) {
            ASSERT_EQ(c.thrown, Thrown::FileError);
            ASSERT_EQ(std::string(error.what()), "chunk " + std::to_string(c.failFrom)) << "round " << round;
        } catch (const ChunkFailure& failure) {
            ASSERT_EQ(c.thrown, Thrown::PlainValue);
            ASSERT_EQ(failure.chunk, c.failFrom) << "round " << round;
        }
        for (std::size_t i = 0; i <= c.failFrom; ++i)
            ASSERT_EQ(visits[i].load(), 1) << "chunk " << i << " in round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Failures, LowestFailure, testing::ValuesIn(kFailures),
                         [](const testing::TestParamInfo<FailureCase>& row) { return std::string(row.param.name); });

TEST(ParallelRows, AnErrorThrownOnTheWorkerReachesTheCaller)
{
    const std::thread::id caller = std::this_thread::get_id();
    std::mutex mutex;
    std::condition_variable thrown;
    bool workerThrew = false;
    try {
        forEachChunkOnTwoThreads(2, 1, [&](std::size_t, std::size_t) {
            std::unique_lock lock(mutex);
            if (std::this_thread::get_id() != caller) {
                workerThrew = true;
                thrown.notify_all();
                throw FileError("thrown on the worker");
            }
            // Keeps the calling thread from taking both chunks; the bound only guards against a hang.
            thrown.wait_for(lock, std::chrono::seconds(30), [&] { return workerThrew; });
        });
        FAIL() << "the worker's error was lost";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()), "thrown on the worker");
    }
    EXPECT_TRUE(workerThrew);
}

// Dropped without finish(), as an abandoned overlay build is: the worker takes no new chunk, and the
// one it is on has ended before the objects the task uses go out of scope.
TEST(ParallelRows, DroppingUnfinishedWorkWaitsForTheWorkersChunk)
{
    for (int round = 0; round < 200; ++round) {
        std::atomic<int> started{0};
        std::atomic<int> ended{0};
        {
            ChunksOnTwoThreads chunks(64, 1, [&](std::size_t, std::size_t) {
                ++started;
                std::this_thread::yield();
                ++ended;
            });
        }
        ASSERT_EQ(started.load(), ended.load()) << "round " << round;
    }
}

} // namespace
} // namespace orbiclock
