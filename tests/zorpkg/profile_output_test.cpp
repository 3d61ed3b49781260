#include "chrome_trace.hpp"
#include "profile_table.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

namespace zorpkg {
namespace {

zor::CycleSample sample(std::uint32_t index, zor::ProfileStepKind kind, std::string operation,
                        std::uint32_t start, std::uint32_t end) {
  return zor::CycleSample{
      .step = zor::ProfileStep{.local_index = index,
                               .phase = 1,
                               .epoch = 2,
                               .operation = std::move(operation),
                               .kind = kind,
                               .kernel = "k" + std::to_string(index),
                               .metadata = {zor::ProfileMetadata{.name = "dtype", .value = "f16"}},
                               .exchange_activities = {},
                               .exchange_event_cycles = 5},
      .start_cycle = start,
      .end_cycle = end,
  };
}

// Tile 3 runs four steps, the last across a counter wrap-around; tile 9 ran
// nothing.
zor::ProfileReport report(std::uint64_t clock_hz) {
  using enum zor::ProfileStepKind;
  return zor::ProfileReport{
      .clock_hz = clock_hz,
      .tiles = {zor::TileProfile{.physical_tile = 3,
                                 .samples = {sample(0, Compute, "matmul", 1000, 1500),
                                             sample(1, Exchange, "", 1500, 1600),
                                             sample(2, Idle, "wait", 1600, 2100),
                                             sample(3, Compute, "add", 4294967196U, 200)}},
                zor::TileProfile{.physical_tile = 9, .samples = {}}},
  };
}

TEST(ProfileTables, ListTotalsAndTheLongestStepsPerTile) {
  EXPECT_EQ(profile_tables(report(1'000'000'000)),
            "clock: 1000000000 Hz\n"
            "tile  steps  cycles  time (us)\n"
            "   3      4    1400      1.400\n"
            "   9      0       0      0.000\n"
            "longest steps (up to 3 per tile):\n"
            "tile  step  kind     operation  kernel  cycles  time (us)\n"
            "   3     0  Compute  matmul     k0         500      0.500\n"
            "   3     2  Idle     wait       k2         500      0.500\n"
            "   3     3  Compute  add        k3         300      0.300\n");
}

TEST(ProfileTables, ShowNoTimeWithoutAClockRate) {
  const auto tables = profile_tables(report(0));
  EXPECT_NE(tables.find("   3      4    1400          -\n"), std::string::npos) << tables;
}

TEST(ChromeTrace, OneCompleteEventPerSampleOnATrackPerTile) {
  const auto trace = chrome_trace_json(report(1'000'000));
  ASSERT_TRUE(trace.has_value()) << trace.error();
  const auto document = nlohmann::json::parse(*trace);
  const auto& events = document["traceEvents"];
  ASSERT_EQ(events.size(), 6U);  // a track name and 4 samples for tile 3, a track name for tile 9

  EXPECT_EQ(events[0]["ph"], "M");
  EXPECT_EQ(events[0]["tid"], 3);
  EXPECT_EQ(events[0]["args"]["name"], "tile 3");

  const auto& first = events[1];
  EXPECT_EQ(first["ph"], "X");
  EXPECT_EQ(first["tid"], 3);
  EXPECT_EQ(first["name"], "matmul");
  EXPECT_EQ(first["cat"], "Compute");
  EXPECT_DOUBLE_EQ(first["ts"].get<double>(), 1000.0);  // 1000 cycles at 1 MHz
  EXPECT_DOUBLE_EQ(first["dur"].get<double>(), 500.0);
  EXPECT_EQ(first["args"]["local_index"], 0);
  EXPECT_EQ(first["args"]["kernel"], "k0");
  EXPECT_EQ(first["args"]["metadata"][0]["value"], "f16");
  EXPECT_EQ(first["args"]["exchange_event_cycles"], 5);
  EXPECT_EQ(first["args"]["start_cycle"], 1000);
  EXPECT_EQ(first["args"]["end_cycle"], 1500);

  EXPECT_EQ(events[2]["name"], "Exchange") << "a step without operation is named by its kind";
  EXPECT_DOUBLE_EQ(events[4]["dur"].get<double>(), 300.0) << "the counter wrapped once";
  EXPECT_EQ(events[5]["tid"], 9);
}

TEST(ChromeTrace, NeedsAClockRate) {
  const auto trace = chrome_trace_json(report(0));
  ASSERT_FALSE(trace.has_value());
  EXPECT_EQ(trace.error().description(), "profile report has clock rate 0, so cycles have no duration");
}

}  // namespace
}  // namespace zorpkg
