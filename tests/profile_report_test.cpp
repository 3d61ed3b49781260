#include <zor/package/debug_text.hpp>
#include <zor/package/model.hpp>
#include <zor/package/profile.hpp>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace zor {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint64_t U64_MAX = std::numeric_limits<std::uint64_t>::max();

ProfileStep step(std::uint32_t index) {
  return ProfileStep{.local_index = index,
                     .phase = index,
                     .epoch = 0,
                     .operation = "operation",
                     .kind = ProfileStepKind::Compute,
                     .kernel = "kernel",
                     .metadata = {ProfileMetadata{.name = "index", .value = std::to_string(index)}},
                     .exchange_activities = {},
                     .exchange_event_cycles = index};
}

TileProfilePlan plan(std::uint32_t tile, std::uint32_t steps) {
  TileProfilePlan result{.physical_tile = tile, .steps = {}};
  for (std::uint32_t i = 0; i < steps; ++i) {
    result.steps.push_back(step(i));
  }
  return result;
}

RegionSlice slice(std::uint32_t tile, std::uint64_t file_offset, std::uint64_t size) {
  return RegionSlice{.tile = tile, .tile_address = TILE_MEMORY_BASE, .file_offset = file_offset, .size = size};
}

Binding output(std::string name, std::vector<RegionSlice> slices) {
  return Binding{.name = std::move(name), .dtype = "u8", .shape = {}, .slices = std::move(slices)};
}

Binding cycles(std::vector<RegionSlice> slices) { return output("profile.cycles", std::move(slices)); }

// Little-endian words followed by `trailing` filler bytes.
Bytes words(std::initializer_list<std::uint32_t> values, std::size_t trailing = 0) {
  Bytes bytes;
  for (const std::uint32_t value : values) {
    for (unsigned shift = 0; shift < 32; shift += 8) {
      bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    }
  }
  bytes.insert(bytes.end(), trailing, 0xee);
  return bytes;
}

Bytes filler(std::size_t count, Bytes rest) {
  Bytes bytes(count, 0xee);
  bytes.insert(bytes.end(), rest.begin(), rest.end());
  return bytes;
}

// The samples expected from a plan of `counters.size() - 1` steps.
TileProfile profile(std::uint32_t tile, std::vector<std::uint32_t> counters) {
  TileProfile result{.physical_tile = tile, .samples = {}};
  for (std::uint32_t i = 0; i + 1 < counters.size(); ++i) {
    result.samples.push_back(CycleSample{.step = step(i), .start_cycle = counters[i], .end_cycle = counters[i + 1]});
  }
  return result;
}

// An application's profile outputs and plans, and the output buffer of a run.
struct Run {
  std::vector<Binding> outputs;
  std::vector<TileProfilePlan> plans;
  Bytes buffer;
};

// The runtime gives no alignment guarantee, so every run is read from an odd
// address; the sanitizer build reports any misaligned load, and any read past
// the buffer's last byte.
Result<ProfileReport> derive(const Run& run, std::uint64_t clock_hz) {
  Application application;
  application.outputs = run.outputs;
  application.profile_tiles = run.plans;
  Bytes storage(run.buffer.size() + 1);
  std::ranges::copy(run.buffer, storage.begin() + 1);
  return application.profile_report(std::span<const std::uint8_t>(storage).subspan(1), clock_hz);
}

struct DeriveCase {
  std::string name;
  Run run;
  std::uint64_t clock_hz;
  std::vector<TileProfile> expected;
};

TEST(ProfileReport, PairsAdjacentCountersOfEachPlannedTile) {
  const std::vector<DeriveCase> cases{
      {"profile binding after another output",
       {{output("data", {slice(0, 0, 16)}), cycles({slice(3, 0, 12)})},
        {plan(3, 2)},
        filler(16, words({100, 250, 400}))},
       1500000000,
       {profile(3, {100, 250, 400})}},
      {"profile binding first, bytes after it ignored",
       {{cycles({slice(3, 0, 12)}), output("data", {slice(0, 0, 16)})}, {plan(3, 2)}, words({100, 250, 400}, 20)},
       1500000000,
       {profile(3, {100, 250, 400})}},
      {"tiles in plan order, slices in any order, unplanned slices ignored",
       {{cycles({slice(9, 0, 4), slice(1, 12, 8), slice(4, 4, 8)})},
        {plan(4, 1), plan(1, 1)},
        words({0, 10, 20, 30, 40})},
       1,
       {profile(4, {10, 20}), profile(1, {30, 40})}},
      {"a plan without steps yields no samples",
       {{cycles({slice(2, 0, 4)})}, {plan(2, 0)}, words({7})},
       0,
       {profile(2, {7})}},
      {"no plans", {{cycles({})}, {}, {}}, 0, {}},
      {"the last slice of a tile wins",
       {{cycles({slice(5, 0, 4), slice(5, 4, 8)})}, {plan(5, 1)}, words({1, 2, 3})},
       1,
       {profile(5, {2, 3})}},
      {"only the first profile binding counts",
       {{cycles({slice(0, 0, 8)}), cycles({slice(0, 8, 8)})}, {plan(0, 1)}, words({1, 2, 3, 4})},
       1,
       {profile(0, {1, 2})}},
      {"counters are little-endian and kept as stored when they wrap",
       {{cycles({slice(0, 0, 12)})}, {plan(0, 2)}, words({0xfffffff0, 0x01020304, 0x00000005})},
       1,
       {profile(0, {0xfffffff0, 0x01020304, 5})}},
  };
  for (const DeriveCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto report = derive(c.run, c.clock_hz);
    ASSERT_TRUE(report.has_value()) << report.error();
    EXPECT_EQ(*report, (ProfileReport{.clock_hz = c.clock_hz, .tiles = c.expected}));
  }
}

struct RefuseCase {
  std::string name;
  Run run;
  std::string message;
};

TEST(ProfileReport, RefusesMissingMismatchedAndOutOfRangeCounters) {
  // file_offset + size saturates, so this binding claims 2^64 - 1 bytes.
  const Binding saturated = output("huge", {slice(0, U64_MAX - 7, 16)});
  const std::vector<RefuseCase> cases{
      {"no profile binding",
       {{output("data", {slice(0, 0, 4)})}, {}, words({1})},
       "application has no cycle profile binding"},
      {"sizes before the profile binding overflow",
       {{saturated, output("data", {slice(0, 0, 1)}), cycles({slice(0, 0, 4)})}, {}, {}},
       "output binding size overflow"},
      {"size overflow is found before the missing binding",
       {{saturated, output("data", {slice(0, 0, 1)})}, {}, {}},
       "output binding size overflow"},
      {"no slice for a planned tile",
       {{cycles({slice(2, 0, 8)})}, {plan(2, 1), plan(3, 1)}, words({1, 2})},
       "cycle profile has no slice for tile 3"},
      {"slice size does not fit the plan",
       {{cycles({slice(3, 0, 12)})}, {plan(3, 3)}, words({1, 2, 3, 4})},
       "cycle profile slice for tile 3 has size 12, expected 16"},
      {"buffer one byte short",
       {{output("data", {slice(0, 0, 4)}), cycles({slice(0, 0, 8)})}, {plan(0, 1)}, filler(4, words({1}, 3))},
       "profile binding exceeds runtime output"},
      {"base plus offset leaves 64 bits",
       {{saturated, cycles({slice(0, 1, 8)})}, {plan(0, 1)}, {}},
       "profile output offset overflow"},
      {"start plus size leaves the machine word",
       {{output("data", {slice(0, std::numeric_limits<std::size_t>::max() - 3, 0)}), cycles({slice(0, 0, 8)})},
        {plan(0, 1)},
        {}},
       "profile output range overflow"},
  };
  for (const RefuseCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto report = derive(c.run, 1);
    ASSERT_FALSE(report.has_value()) << *report;
    ASSERT_NE(report.error().invalid_message(), nullptr) << report.error();
    EXPECT_EQ(*report.error().invalid_message(), c.message);
  }
}

TEST(ProfileReport, BindingSizeIsTheHighestSliceEndAndSaturates) {
  const std::vector<std::pair<std::vector<RegionSlice>, std::uint64_t>> cases{
      {{}, 0},
      {{slice(0, 16, 4), slice(1, 0, 8)}, 20},
      {{slice(0, U64_MAX - 1, 1)}, U64_MAX},
      {{slice(0, U64_MAX - 7, 16), slice(0, 0, 4)}, U64_MAX},
  };
  for (const auto& [slices, expected] : cases) {
    EXPECT_EQ(binding_size(output("b", slices)), expected) << ::testing::PrintToString(slices);
  }
}

}  // namespace
}  // namespace zor
