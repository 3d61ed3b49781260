// Durations of profile samples.
#pragma once

#include <zor/package/model.hpp>

#include <cstdint>

namespace zorpkg {

// Cycles spent in a sample. The counters are 32 bits wide and may wrap
// during a run, so an end below the start is read as one wrap-around.
[[nodiscard]] inline std::uint32_t sample_cycles(const zor::CycleSample& sample) noexcept {
  return sample.end_cycle - sample.start_cycle;
}

// `cycles` as microseconds at `clock_hz`, which must not be 0.
[[nodiscard]] inline double cycles_to_microseconds(std::uint64_t cycles, std::uint64_t clock_hz) noexcept {
  return static_cast<double>(cycles) * 1e6 / static_cast<double>(clock_hz);
}

}  // namespace zorpkg
