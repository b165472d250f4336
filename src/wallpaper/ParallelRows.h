#pragma once

#include <cstddef>
#include <functional>

namespace orbiclock {

/// Calls `task(begin, end)` for consecutive chunks [begin, end) of at most `chunkSize` indices that
/// together cover [0, count) once, on the calling thread and on one worker thread, each taking the next
/// chunk in index order when it is done with its last. Returns after the worker has been joined, on
/// every path. When tasks throw, rethrows the exception of the chunk with the lowest index, the one a
/// plain loop over the chunks would have met first; chunks after it may or may not have run.
///
/// Results must not depend on the thread: the task writes each index's result to its own place, and
/// what it reads is read-only while this runs. When no thread can be started, the calling thread does
/// all the chunks. A chunkSize of 0 counts as 1.
void forEachChunkOnTwoThreads(std::size_t count, std::size_t chunkSize,
                              const std::function<void(std::size_t begin, std::size_t end)>& task);

} // namespace orbiclock
