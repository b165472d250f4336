#pragma once

#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace orbiclock {

/// Work on an index range shared by two threads: consecutive chunks [begin, end) of at most
/// `chunkSize` indices that together cover [0, count) once, taken in index order by one worker thread,
/// which starts at construction, and by the thread that calls finish(), each taking the next chunk
/// when it is done with its last.
///
/// A chunk once taken runs to its end unless an earlier chunk has failed, so a task may wait for the
/// outcome of an earlier chunk that cannot fail (the other thread is then on it or done with it).
///
/// Results must not depend on the thread: the task writes each index's result to its own place, and
/// what it reads is read-only until finish() returns. When no thread can be started, finish() does
/// all the chunks on the calling thread. A chunkSize of 0 counts as 1.
class ChunksOnTwoThreads {
public:
    using Task = std::function<void(std::size_t begin, std::size_t end)>;

    ChunksOnTwoThreads(std::size_t count, std::size_t chunkSize, Task task);
    ChunksOnTwoThreads(const ChunksOnTwoThreads&) = delete;
    ChunksOnTwoThreads& operator=(const ChunksOnTwoThreads&) = delete;
    /// Hands out no further chunk and waits for the one the worker is on.
    ~ChunksOnTwoThreads();

    /// Runs the chunks left on the calling thread and waits for the worker. When tasks threw, rethrows
    /// the exception of the chunk with the lowest index, the one a plain loop over the chunks would have
    /// met first; chunks after it may or may not have run. Call once.
    void finish();

private:
    void drain() noexcept;
    void keepFailure(std::size_t chunk, std::exception_ptr error) noexcept;

    const std::size_t m_count;
    const std::size_t m_chunkSize;
    const std::size_t m_chunkCount;
    const Task m_task;
    std::atomic<std::size_t> m_next{0};
    std::atomic<std::size_t> m_firstFailed; ///< chunks after the first failed one need not run
    std::atomic<bool> m_stopping{false};
    std::mutex m_mutex;
    std::exception_ptr m_error;
    std::jthread m_worker; // last: it starts once everything it reads is in place
};

/// Runs `task` over [0, count) as ChunksOnTwoThreads does and returns when every chunk has run, or
/// rethrows the failure of the lowest chunk; the worker is joined on every path.
void forEachChunkOnTwoThreads(std::size_t count, std::size_t chunkSize, ChunksOnTwoThreads::Task task);

} // namespace orbiclock
