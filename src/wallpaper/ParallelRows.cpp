#include "wallpaper/ParallelRows.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>

namespace orbiclock {
namespace {

/// What both threads share: the next chunk to take and the first failure in chunk order.
class ChunkQueue {
public:
    ChunkQueue(std::size_t count, std::size_t chunkSize,
               const std::function<void(std::size_t, std::size_t)>& task) noexcept
        : m_count(count), m_chunkSize(chunkSize), m_chunkCount((count + chunkSize - 1) / chunkSize), m_task(task)
    {
    }

    std::size_t chunkCount() const noexcept { return m_chunkCount; }

    /// Runs chunks until none is left. Never throws: a failure is kept for rethrowFirstFailure().
    void drain() noexcept
    {
        for (;;) {
            const std::size_t chunk = m_next.fetch_add(1, std::memory_order_relaxed);
            // Chunks are taken in increasing order, so every chunk before a failed one has been taken
            // and finishes; the ones after it cannot change which error is raised.
            if (chunk >= m_chunkCount || chunk > m_firstFailed.load(std::memory_order_relaxed))
                return;
            const std::size_t begin = chunk * m_chunkSize;
            try {
                m_task(begin, std::min(m_count, begin + m_chunkSize));
            } catch (...) {
                keepFailure(chunk, std::current_exception());
            }
        }
    }

    /// Call after both threads are done.
    void rethrowFirstFailure() const
    {
        if (m_error)
            std::rethrow_exception(m_error);
    }

private:
    void keepFailure(std::size_t chunk, std::exception_ptr error) noexcept
    {
        const std::lock_guard lock(m_mutex);
        if (chunk < m_firstFailed.load(std::memory_order_relaxed)) {
            m_firstFailed.store(chunk, std::memory_order_relaxed);
            m_error = std::move(error);
        }
    }

    const std::size_t m_count;
    const std::size_t m_chunkSize;
    const std::size_t m_chunkCount;
    const std::function<void(std::size_t, std::size_t)>& m_task;
    std::atomic<std::size_t> m_next{0};
    std::atomic<std::size_t> m_firstFailed{std::numeric_limits<std::size_t>::max()};
    std::mutex m_mutex;
    std::exception_ptr m_error;
};

} // namespace

void forEachChunkOnTwoThreads(std::size_t count, std::size_t chunkSize,
                              const std::function<void(std::size_t begin, std::size_t end)>& task)
{
    ChunkQueue queue(count, std::max<std::size_t>(chunkSize, 1), task);
    {
        std::jthread worker;
        if (queue.chunkCount() > 1) {
            try {
                worker = std::jthread([&queue] { queue.drain(); });
            } catch (const std::system_error&) {
                // No thread to be had: the calling thread takes every chunk, as a loop would.
            }
        }
        queue.drain();
    } // the worker is joined here
    queue.rethrowFirstFailure();
}

} // namespace orbiclock
