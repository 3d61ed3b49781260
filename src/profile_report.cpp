// Deriving a cycle profile from the output buffer of a profiled run.
#include <zor/package/model.hpp>
#include <zor/package/profile.hpp>

#include "input_checks.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <ranges>
#include <span>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include <fmt/format.h>

namespace zor {
namespace {

// The output binding through which a profiled run returns its counters.
constexpr std::string_view PROFILE_BINDING = "profile.cycles";
constexpr std::size_t COUNTER_BYTES = 4;

// Assembled from single bytes: the buffer has no alignment guarantee and the
// counters are little-endian whatever the host's byte order.
std::uint32_t counter_at(std::span<const std::uint8_t> counters, std::size_t index) noexcept {
  const auto bytes = counters.subspan(index * COUNTER_BYTES, COUNTER_BYTES);
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8U |
         static_cast<std::uint32_t>(bytes[2]) << 16U | static_cast<std::uint32_t>(bytes[3]) << 24U;
}

// Where the counters of one plan lie in the output buffer, after checking
// that the slice has the plan's size and that the range neither overflows
// nor leaves the buffer.
Result<std::span<const std::uint8_t>> plan_counters(const TileProfilePlan& plan, const RegionSlice& slice,
                                                    std::uint64_t binding_base, std::span<const std::uint8_t> output) {
  const std::size_t steps = plan.steps.size();
  // One counter as each step starts, and one as the last step ends.
  const auto count = std::in_range<std::uint64_t>(steps)
                         ? range_end(static_cast<std::uint64_t>(steps), std::uint64_t{1})
                         : std::nullopt;
  if (!count) {
    return invalid("profile sample count overflow");
  }
  if (*count > std::numeric_limits<std::uint64_t>::max() / std::uint64_t{COUNTER_BYTES}) {
    return invalid("profile sample size overflow");
  }
  const std::uint64_t expected = *count * std::uint64_t{COUNTER_BYTES};
  if (slice.size != expected) {
    return invalid(fmt::format("cycle profile slice for tile {} has size {}, expected {}", plan.physical_tile,
                               slice.size, expected));
  }
  const auto offset = range_end(binding_base, slice.file_offset);
  if (!offset || !std::in_range<std::size_t>(*offset)) {
    return invalid("profile output offset overflow");
  }
  if (!std::in_range<std::size_t>(slice.size)) {
    return invalid("profile output size exceeds usize");
  }
  const auto start = static_cast<std::size_t>(*offset);
  const auto size = static_cast<std::size_t>(slice.size);
  const auto end = range_end(start, size);
  if (!end) {
    return invalid("profile output range overflow");
  }
  if (*end > output.size()) {
    return invalid("profile binding exceeds runtime output");
  }
  return output.subspan(start, size);
}

std::vector<CycleSample> pair_adjacent_counters(const std::vector<ProfileStep>& steps,
                                                std::span<const std::uint8_t> counters) {
  std::vector<CycleSample> samples;
  samples.reserve(steps.size());
  for (std::size_t i = 0; i < steps.size(); ++i) {
    samples.push_back(CycleSample{
        .step = steps[i], .start_cycle = counter_at(counters, i), .end_cycle = counter_at(counters, i + 1)});
  }
  return samples;
}

}  // namespace

std::uint64_t binding_size(const Binding& binding) noexcept {
  std::uint64_t size = 0;
  for (const RegionSlice& slice : binding.slices) {
    const std::uint64_t end =
        range_end(slice.file_offset, slice.size).value_or(std::numeric_limits<std::uint64_t>::max());
    size = std::max(size, end);
  }
  return size;
}

Result<ProfileReport> Application::profile_report(std::span<const std::uint8_t> output, std::uint64_t clock_hz) const {
  // The buffer holds the outputs one after another, so the profile binding
  // starts after the sizes of every output listed before it.
  std::uint64_t binding_base = 0;
  const auto profile =
      std::ranges::find_if(outputs, [&](const Binding& binding) { return binding.name == PROFILE_BINDING; });
  for (const Binding& earlier : std::ranges::subrange(outputs.begin(), profile)) {
    const auto next_base = range_end(binding_base, binding_size(earlier));
    if (!next_base) {
      return invalid("output binding size overflow");
    }
    binding_base = *next_base;
  }
  if (profile == outputs.end()) {
    return invalid("application has no cycle profile binding");
  }

  // Should a tile have several slices, the last one listed is used.
  std::unordered_map<std::uint32_t, const RegionSlice*> slice_of_tile;
  slice_of_tile.reserve(profile->slices.size());
  for (const RegionSlice& slice : profile->slices) {
    slice_of_tile.insert_or_assign(slice.tile, &slice);
  }

  ProfileReport report{.clock_hz = clock_hz, .tiles = {}};
  report.tiles.reserve(profile_tiles.size());
  for (const TileProfilePlan& plan : profile_tiles) {
    const auto slice = slice_of_tile.find(plan.physical_tile);
    if (slice == slice_of_tile.end()) {
      return invalid(fmt::format("cycle profile has no slice for tile {}", plan.physical_tile));
    }
    auto counters = plan_counters(plan, *slice->second, binding_base, output);
    if (!counters) {
      return std::unexpected(std::move(counters.error()));
    }
    report.tiles.push_back(
        TileProfile{.physical_tile = plan.physical_tile, .samples = pair_adjacent_counters(plan.steps, *counters)});
  }
  return report;
}

}  // namespace zor
