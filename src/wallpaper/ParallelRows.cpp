#include "wallpaper/ParallelRows.h"

#include <algorithm>
#include <limits>
#include <system_error>
#include <utility>

namespace orbiclock {
namespace {

constexpr std::size_t kNoChunk = std::numeric_limits<std::size_t>::max();

} // namespace

ChunksOnTwoThreads::ChunksOnTwoThreads(std::size_t count, std::size_t chunkSize, Task task)
    : m_count(count), m_chunkSize(std::max<std::size_t>(chunkSize, 1)),
      m_chunkCount(count / m_chunkSize + (count % m_chunkSize != 0 ? 1 : 0)), m_task(std::move(task)),
      m_firstFailed(kNoChunk)
{
    if (m_chunkCount <= 1)
        return; // a single chunk is not worth a thread
    try {
        m_worker = std::jthread([this] { drain(); });
    } catch (const std::system_error&) {
        // No thread to be had: finish() takes every chunk, as a loop would.
    }
}

ChunksOnTwoThreads::~ChunksOnTwoThreads()
{
    m_stopping.store(true, std::memory_order_relaxed);
    // m_worker, the last member, is joined first.
}

void ChunksOnTwoThreads::finish()
{
    drain();
    if (m_worker.joinable())
        m_worker.join();
    if (m_error)
        std::rethrow_exception(m_error);
}

void ChunksOnTwoThreads::drain() noexcept
{
    // Stopping is looked at before a chunk is taken, so a chunk once taken runs: a later chunk may
    // wait for an earlier one.
    while (!m_stopping.load(std::memory_order_relaxed)) {
        const std::size_t chunk = m_next.fetch_add(1, std::memory_order_relaxed);
        // Chunks are taken in increasing order, so every chunk before a failed one has been taken and
        // finishes; the ones after it cannot change which error is raised.
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

void ChunksOnTwoThreads::keepFailure(std::size_t chunk, std::exception_ptr error) noexcept
{
    const std::lock_guard lock(m_mutex);
    if (chunk < m_firstFailed.load(std::memory_order_relaxed)) {
        m_firstFailed.store(chunk, std::memory_order_relaxed);
        m_error = std::move(error);
    }
}

void forEachChunkOnTwoThreads(std::size_t count, std::size_t chunkSize, ChunksOnTwoThreads::Task task)
{
    ChunksOnTwoThreads chunks(count, chunkSize, std::move(task));
    chunks.finish();
}

} // namespace orbiclock
