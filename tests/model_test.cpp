#include <zor/package/debug_text.hpp>

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <sstream>

namespace zor {
namespace {

ProfileStep step() {
  return ProfileStep{
      .local_index = 0,
      .phase = 7,
      .epoch = 1,
      .operation = "op",
      .kind = ProfileStepKind::Compute,
      .kernel = "k\"1",
      .metadata = {ProfileMetadata{.name = "reason", .value = "x"}},
      .exchange_activities = {ProfileExchangeActivity{
          .kind = ExchangeActivityKind::PartnerBusy, .start_cycle = 1, .end_cycle = 3}},
      .exchange_event_cycles = 13,
  };
}

TEST(Model, DefaultsOfApplicationAndHostExchange) {
  const Application application;
  EXPECT_EQ(application.compiler_version, "0.1.0");
  EXPECT_TRUE(application.tiles.empty());
  EXPECT_EQ(application.host_exchange, HostExchange{});
  EXPECT_EQ(application.host_exchange.command_offset, 0U);
  EXPECT_EQ(application, Application{});
}

TEST(Model, EqualityIsFieldByFieldAndOrderSensitive) {
  Application a;
  a.debug_symbols = {DebugSymbol{.name = "a", .address = 1}, DebugSymbol{.name = "b", .address = 2}};
  Application b = a;
  EXPECT_EQ(a, b);
  std::swap(b.debug_symbols[0], b.debug_symbols[1]);
  EXPECT_NE(a, b);

  const Segment short_data{.address = 0x4c000, .memory_size = 8, .data = {1, 2}, .flags = 5};
  Segment long_data = short_data;
  long_data.data.push_back(0);
  EXPECT_NE(short_data, long_data);
}

TEST(Model, CopyIsDeep) {
  const ProfileStep source = step();
  ProfileStep copy = source;
  EXPECT_EQ(copy, source);
  copy.metadata[0].value = "changed";
  copy.metadata.push_back(ProfileMetadata{.name = "n", .value = "v"});
  EXPECT_EQ(source.metadata.size(), 1U);
  EXPECT_EQ(source.metadata[0].value, "x");
}

TEST(Model, DebugTextNamesEveryFieldInOrder) {
  EXPECT_EQ(fmt::format("{}", Segment{.address = 311296, .memory_size = 8, .data = {1, 2}, .flags = 5}),
            "Segment { address: 311296, memory_size: 8, data: [1, 2], flags: 5 }");
  EXPECT_EQ(fmt::format("{}", step()),
            "ProfileStep { local_index: 0, phase: 7, epoch: 1, operation: \"op\", kind: Compute, "
            "kernel: \"k\\\"1\", metadata: [ProfileMetadata { name: \"reason\", value: \"x\" }], "
            "exchange_activities: [ProfileExchangeActivity { kind: PartnerBusy, start_cycle: 1, end_cycle: 3 }], "
            "exchange_event_cycles: 13 }");
  EXPECT_EQ(fmt::format("{}", HostExchange{}),
            "HostExchange { startup_mark: 0, command_page: 0, command_offset: 0, pages: [], attach_order: [], "
            "calls: [] }");

  std::ostringstream stream;
  stream << ProfileReport{.clock_hz = 1, .tiles = {TileProfile{.physical_tile = 3, .samples = {}}}};
  EXPECT_EQ(stream.str(), "ProfileReport { clock_hz: 1, tiles: [TileProfile { physical_tile: 3, samples: [] }] }");
}

TEST(Model, DebugTextOfEnumerators) {
  EXPECT_EQ(fmt::format("{} {} {} {}", ProfileStepKind::Exchange, ProfileStepKind::Compute,
                        ProfileStepKind::Synchronization, ProfileStepKind::Idle),
            "Exchange Compute Synchronization Idle");
  EXPECT_EQ(fmt::format("{} {} {}", ExchangeActivityKind::Send, ExchangeActivityKind::Receive,
                        ExchangeActivityKind::PartnerBusy),
            "Send Receive PartnerBusy");
}

TEST(Model, DebugTextEscapesControlBytes) {
  EXPECT_EQ(fmt::format("{}", DebugSymbol{.name = std::string("a\nb\x01\\", 5), .address = 0}),
            "DebugSymbol { name: \"a\\nb\\x01\\\\\", address: 0 }");
}

TEST(Model, Constants) {
  EXPECT_EQ(PACKAGE_SCHEMA_VERSION, 5U);
  EXPECT_EQ(PACKAGE_TARGET, "zor21");
  EXPECT_EQ(TILE_MEMORY_BASE, 0x4c000U);
  EXPECT_EQ(TILE_MEMORY_SIZE, 0x9c000U);
  EXPECT_EQ(TILE_MEMORY_END, 0xe8000U);
}

}  // namespace
}  // namespace zor
