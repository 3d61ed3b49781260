// Profile derivation over generated runs: every sample must pair the planned
// step at its position with the counter recorded when that step started and
// the one recorded when the next step started (or the last step ended).
#include "checks.hpp"

#include <zor/package/debug_text.hpp>

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace zor::tests {
namespace {

constexpr std::uint64_t SEED = 0x70726f66;
constexpr std::size_t CASES = 64;
constexpr std::uint64_t CLOCK_HZ = 1500000000;

// The uniform draws a case is generated from, all from one engine.
class Draws {
 public:
  explicit Draws(std::uint64_t seed) : engine_(seed) {}

  std::size_t word(std::size_t low, std::size_t high) {
    return std::uniform_int_distribution<std::size_t>(low, high)(engine_);
  }
  std::uint32_t u32(std::uint32_t low, std::uint32_t high) {
    return std::uniform_int_distribution<std::uint32_t>(low, high)(engine_);
  }
  bool coin() { return std::bernoulli_distribution(0.5)(engine_); }

 private:
  std::mt19937_64 engine_;
};

struct ExpectedTile {
  std::uint32_t physical_tile;
  std::vector<ProfileStep> steps;
  // The counter at each step's start, then the one at the last step's end.
  std::vector<std::uint32_t> counters;
};

// An application with profile plans, the output buffer a profiled run of it
// leaves, and what the report derived from that buffer must hold.
struct GeneratedRun {
  Application application;
  std::vector<std::uint8_t> output;
  std::vector<ExpectedTile> expected;
};

void append_little_endian(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  for (unsigned shift = 0; shift < 32; shift += 8) {
    bytes.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

std::vector<ProfileStep> draw_steps(Draws& draws, std::size_t count) {
  std::vector<ProfileStep> steps;
  for (std::uint32_t i = 0; i < count; ++i) {
    steps.push_back(ProfileStep{.local_index = i,
                                .phase = i,
                                .epoch = 0,
                                .operation = fmt::format("operation.{}", i),
                                .kind = draws.coin() ? ProfileStepKind::Compute : ProfileStepKind::Exchange,
                                .kernel = fmt::format("kernel.{}", i),
                                .metadata = {},
                                .exchange_activities = {},
                                .exchange_event_cycles = 0});
  }
  return steps;
}

// The application has no tile images: derivation must not depend on the
// application being valid as a package.
GeneratedRun generate_run(Draws& draws) {
  const std::size_t tiles = draws.word(1, 8);
  const std::size_t prefix_bytes = 4 * draws.word(0, 8);

  GeneratedRun run{.application = {}, .output = std::vector<std::uint8_t>(prefix_bytes, 0xa5), .expected = {}};
  Binding prefix{.name = "prefix", .dtype = "u8", .shape = {static_cast<std::uint32_t>(prefix_bytes)}, .slices = {}};
  if (prefix_bytes != 0) {
    prefix.slices.push_back(RegionSlice{.tile = 0, .tile_address = 0x4c000, .file_offset = 0, .size = prefix_bytes});
  }
  run.application.outputs.push_back(std::move(prefix));

  Binding cycles{.name = "profile.cycles", .dtype = "u32", .shape = {}, .slices = {}};
  std::size_t counter_words = 0;
  for (std::uint32_t tile = 0; tile < tiles; ++tile) {
    const std::size_t step_count = draws.word(1, 16);
    std::vector<std::uint32_t> counters{draws.u32(0, 2147483647)};
    for (std::size_t k = 0; k < step_count; ++k) {
      counters.push_back(counters.back() + draws.u32(1, 10000));
    }
    for (const std::uint32_t counter : counters) {
      append_little_endian(run.output, counter);
    }
    cycles.slices.push_back(RegionSlice{
        .tile = tile, .tile_address = 0x4c100, .file_offset = 4 * counter_words, .size = 4 * counters.size()});
    counter_words += counters.size();

    std::vector<ProfileStep> steps = draw_steps(draws, step_count);
    run.expected.push_back(ExpectedTile{.physical_tile = tile, .steps = steps, .counters = std::move(counters)});
    run.application.profile_tiles.push_back(TileProfilePlan{.physical_tile = tile, .steps = std::move(steps)});
  }
  cycles.shape = {static_cast<std::uint32_t>(counter_words)};
  run.application.outputs.push_back(std::move(cycles));
  return run;
}

void check_samples_use_adjacent_start_samples() {
  Draws draws(SEED);
  for (std::size_t random_case = 0; random_case < CASES; ++random_case) {
    const GeneratedRun run = generate_run(draws);
    const auto report = run.application.profile_report(run.output, CLOCK_HZ);
    ASSERT_TRUE(report.has_value()) << report.error() << ", random case " << random_case;
    ASSERT_EQ(report->tiles.size(), run.expected.size()) << "random case " << random_case;
    for (std::size_t position = 0; position < run.expected.size(); ++position) {
      const ExpectedTile& expected = run.expected[position];
      const TileProfile& tile = report->tiles[position];
      ASSERT_EQ(position, expected.physical_tile) << "random case " << random_case;
      ASSERT_EQ(tile.physical_tile, expected.physical_tile);
      for (std::size_t i = 0; i < tile.samples.size(); ++i) {
        const CycleSample& sample = tile.samples[i];
        ASSERT_LT(i, expected.steps.size()) << "random case " << random_case;
        ASSERT_EQ(sample.step, expected.steps[i]) << "random case " << random_case;
        ASSERT_EQ(sample.start_cycle, expected.counters[i]) << "random case " << random_case;
        ASSERT_EQ(sample.end_cycle, expected.counters[i + 1]) << "random case " << random_case;
      }
    }
  }
}

}  // namespace

const Check randomized_profile_reports_use_adjacent_start_samples{
    "randomized_profile_reports_use_adjacent_start_samples", &check_samples_use_adjacent_start_samples, __FILE__,
    __LINE__};

}  // namespace zor::tests
