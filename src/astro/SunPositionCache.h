#pragma once

namespace orbiclock {

/// Forgets the sun positions the sun events remember by moment (this thread's memory). The results
/// never depend on it; benchmarks and tests use it to compare against evaluating every moment afresh.
void clearSunPositionCache() noexcept;

} // namespace orbiclock
