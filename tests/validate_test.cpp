#include <zor/package/validate.hpp>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zor {
namespace {

constexpr std::uint64_t U64_MAX = std::numeric_limits<std::uint64_t>::max();
// What `outcome` reports for an application that passes every rule.
constexpr std::string_view ACCEPTED = "accepted";

ProfileStep step(std::uint32_t local_index) {
  return ProfileStep{
      .local_index = local_index,
      .phase = 0,
      .epoch = 0,
      .operation = "op",
      .kind = ProfileStepKind::Compute,
      .kernel = "kernel",
      .metadata = {},
      .exchange_activities = {},
      .exchange_event_cycles = 0,
  };
}

Segment segment(std::uint32_t address, std::uint32_t memory_size, std::size_t data_size = 0) {
  return Segment{
      .address = address, .memory_size = memory_size, .data = std::vector<std::uint8_t>(data_size), .flags = 0};
}

TileImage tile(std::uint32_t physical_tile, std::vector<Segment> segments = {}) {
  return TileImage{.physical_tile = physical_tile,
                   .entry_point = 0,
                   .command_address = 0,
                   .diagnostic_address = 0,
                   .segments = std::move(segments)};
}

Binding binding(std::string name, std::vector<RegionSlice> slices = {}) {
  return Binding{.name = std::move(name), .dtype = "f32", .shape = {4}, .slices = std::move(slices)};
}

RegionSlice region_slice(std::uint32_t on_tile, std::uint32_t tile_address, std::uint64_t size) {
  return RegionSlice{.tile = on_tile, .tile_address = tile_address, .file_offset = 0, .size = size};
}

HostSlice host_slice(std::uint32_t page, std::uint64_t page_offset, std::uint64_t size) {
  return HostSlice{.page = page, .page_offset = page_offset, .file_offset = 0, .size = size};
}

HostCall host_call(std::string name) {
  return HostCall{.name = std::move(name),
                  .command = 7,
                  .phases = 1,
                  .inputs = {host_slice(0, 0, 32), host_slice(0, 32, 32)},
                  .outputs = {host_slice(1, 0, 4)},
                  .invocations = 1,
                  .input_batch_ends = {1, 2},
                  .output_batch_ends = {1}};
}

// A valid application that uses every list, with several items sitting
// exactly on a limit: segments that touch, a slice and a host slice ending at
// the end of their space, a command word in the last four bytes of its page.
Application loadable() {
  Application application;
  application.tiles = {
      tile(0, {segment(0x4c000, 8, 4)}),
      tile(1, {segment(0x4c000, 0x100), segment(0x4c100, 0x100, 0x100)}),
  };
  application.device_config_writes = {DeviceConfigWrite{.offset = 0, .value = 1},
                                      DeviceConfigWrite{.offset = 4, .value = 1},
                                      DeviceConfigWrite{.offset = 8, .value = 1}};
  application.profile_tiles = {TileProfilePlan{.physical_tile = 0, .steps = {step(0), step(1)}},
                               TileProfilePlan{.physical_tile = 1, .steps = {}}};
  application.debug_symbols = {DebugSymbol{.name = "main", .address = 0}};
  application.debug_regions = {
      DebugRegion{.physical_tile = NO_PHYSICAL_TILE, .address = 0, .size = 16, .name = "shared"},
      DebugRegion{.physical_tile = 1, .address = 0xfffffffe, .size = 1, .name = "top"},
  };
  application.inputs = {binding("x", {region_slice(0, 0x4c100, 0x100)})};
  application.outputs = {binding("y", {region_slice(1, TILE_MEMORY_END - 0x100, 0x100)})};
  application.weights = {binding("w")};
  application.host_exchange.pages = {HostPage{.index = 0, .size = 64}, HostPage{.index = 1, .size = 16}};
  application.host_exchange.attach_order = {1, 0, 1};
  application.host_exchange.command_page = 1;
  application.host_exchange.command_offset = 12;
  application.host_exchange.calls = {host_call("c")};
  return application;
}

// The message of the rejection, or ACCEPTED. A rejection of another kind
// than Invalid shows as its debug text and so never matches a message.
std::string outcome(const Result<void>& result) {
  if (result) {
    return std::string(ACCEPTED);
  }
  const auto* message = result.error().invalid_message();
  return message == nullptr ? result.error().debug_text() : *message;
}

struct Case {
  std::string_view name;
  void (*change)(Application&);
  std::string_view expected;
};

void expect_outcomes(std::span<const Case> cases) {
  for (const auto& test_case : cases) {
    SCOPED_TRACE(test_case.name);
    Application application = loadable();
    test_case.change(application);
    EXPECT_EQ(outcome(application.validate()), test_case.expected);
  }
}

TEST(Validate, AcceptsTheMinimalAndTheFullApplication) {
  Application minimal;
  minimal.tiles = {tile(0)};
  EXPECT_EQ(outcome(minimal.validate()), ACCEPTED);
  EXPECT_EQ(outcome(loadable().validate()), ACCEPTED);
}

TEST(Validate, TilesAndDeviceConfiguration) {
  const Case cases[] = {
      {"no tiles, whatever else is wrong",
       [](Application& a) {
         a.tiles.clear();
         a.device_config_writes.push_back(a.device_config_writes.front());
       },
       "application has no tiles"},
      {"unaligned offset", [](Application& a) { a.device_config_writes[1].offset = 2; },
       "unaligned or duplicate device configuration write"},
      {"odd offset", [](Application& a) { a.device_config_writes[1].offset = 13; },
       "unaligned or duplicate device configuration write"},
      {"repeated offset with an equal value",
       [](Application& a) { a.device_config_writes.push_back(DeviceConfigWrite{.offset = 4, .value = 1}); },
       "unaligned or duplicate device configuration write"},
  };
  expect_outcomes(cases);
}

TEST(Validate, Segments) {
  const Case cases[] = {
      {"segment filling the window", [](Application& a) { a.tiles[0].segments = {segment(0x4c000, 0x9c000)}; },
       ACCEPTED},
      {"data as long as the memory", [](Application& a) { a.tiles[0].segments = {segment(0x4c000, 8, 8)}; }, ACCEPTED},
      {"empty segment inside another", [](Application& a) { a.tiles[0].segments.push_back(segment(0x4c004, 0)); },
       ACCEPTED},
      {"empty segment at the address of another",
       [](Application& a) { a.tiles[0].segments.push_back(segment(0x4c000, 0)); }, ACCEPTED},
      {"other tiles use the same addresses", [](Application& a) { a.tiles[1].segments = a.tiles[0].segments; },
       ACCEPTED},
      {"below the window", [](Application& a) { a.tiles[0].segments = {segment(0x4bfff, 8)}; },
       "invalid segment on tile 0: address=0x4bfff end=0x4c007 memory_size=8 data_size=0"},
      {"one byte past the window", [](Application& a) { a.tiles[0].segments = {segment(0xe7ff9, 8)}; },
       "invalid segment on tile 0: address=0xe7ff9 end=0xe8001 memory_size=8 data_size=0"},
      {"more data than memory",
       [](Application& a) {
         a.tiles[1].physical_tile = 3;
         a.tiles[1].segments = {segment(0x4c000, 8, 12)};
       },
       "invalid segment on tile 3: address=0x4c000 end=0x4c008 memory_size=8 data_size=12"},
      {"empty segment with data", [](Application& a) { a.tiles[0].segments.push_back(segment(0x4c000, 0, 1)); },
       "invalid segment on tile 0: address=0x4c000 end=0x4c000 memory_size=0 data_size=1"},
      {"end past 32 bits", [](Application& a) { a.tiles[0].segments = {segment(0xfffffff0, 0x20)}; },
       "segment address overflow"},
      {"end exactly 2^32", [](Application& a) { a.tiles[0].segments = {segment(0xffffffff, 1)}; },
       "segment address overflow"},
      {"empty segment at the top address", [](Application& a) { a.tiles[0].segments = {segment(0xffffffff, 0)}; },
       "invalid segment on tile 0: address=0xffffffff end=0xffffffff memory_size=0 data_size=0"},
      {"earliest segment fault wins",
       [](Application& a) {
         a.tiles[0].segments = {segment(0x4b000, 8), segment(0xffffffff, 1)};
       },
       "invalid segment on tile 0: address=0x4b000 end=0x4b008 memory_size=8 data_size=0"},
  };
  expect_outcomes(cases);
}

TEST(Validate, OverlapIsFoundWhateverTheOrderAndReportsSortedNeighbours) {
  const Case cases[] = {
      {"one byte of overlap",
       [](Application& a) {
         a.tiles[0].segments = {segment(0x4c000, 0x101), segment(0x4c100, 0x100)};
       },
       "overlapping segments on tile 0: 0x4c000..0x4c101 and 0x4c100..0x4c200"},
      {"same, listed the other way round",
       [](Application& a) {
         a.tiles[0].segments = {segment(0x4c100, 0x100), segment(0x4c000, 0x101)};
       },
       "overlapping segments on tile 0: 0x4c000..0x4c101 and 0x4c100..0x4c200"},
      {"equal starts sort by end",
       [](Application& a) {
         a.tiles[0].segments = {segment(0x4c000, 0x10), segment(0x4c000, 8)};
       },
       "overlapping segments on tile 0: 0x4c000..0x4c008 and 0x4c000..0x4c010"},
      {"overlap hidden behind a touching neighbour",
       [](Application& a) {
         a.tiles[1].segments = {segment(0x4c300, 0x10), segment(0x4c000, 0x100), segment(0x4c100, 0x210)};
       },
       "overlapping segments on tile 1: 0x4c100..0x4c310 and 0x4c300..0x4c310"},
  };
  expect_outcomes(cases);
}

TEST(Validate, DuplicateTileIsReportedOnlyAfterTheEarlierTilesSegmentsPass) {
  const Case cases[] = {
      {"repeated tile number", [](Application& a) { a.tiles.push_back(tile(1)); }, "duplicate physical tile 1"},
      {"segment fault of the first tile comes first",
       [](Application& a) {
         a.tiles[1].segments.push_back(segment(0x4c000, 1));
         a.tiles.push_back(tile(1));
       },
       "overlapping segments on tile 1: 0x4c000..0x4c001 and 0x4c000..0x4c100"},
      {"duplicate comes before the duplicate's own segments",
       [](Application& a) { a.tiles.push_back(tile(0, {segment(0, 1)})); }, "duplicate physical tile 0"},
  };
  expect_outcomes(cases);
}

TEST(Validate, ProfilePlansAndDebugMap) {
  const Case cases[] = {
      {"plan for a missing tile", [](Application& a) { a.profile_tiles[1].physical_tile = 2; },
       "invalid tile profile plan"},
      {"second plan for a tile",
       [](Application& a) { a.profile_tiles.push_back(TileProfilePlan{.physical_tile = 0, .steps = {}}); },
       "invalid tile profile plan"},
      {"steps numbered from 1",
       [](Application& a) {
         a.profile_tiles[0].steps = {step(1), step(2)};
       },
       "invalid tile profile plan"},
      {"steps numbered 0, 0",
       [](Application& a) {
         a.profile_tiles[0].steps = {step(0), step(0)};
       },
       "invalid tile profile plan"},
      {"symbol without name", [](Application& a) { a.debug_symbols.push_back(DebugSymbol{.name = "", .address = 0}); },
       "invalid package debug map"},
      {"region without name", [](Application& a) { a.debug_regions[0].name.clear(); }, "invalid package debug map"},
      {"empty region", [](Application& a) { a.debug_regions[0].size = 0; }, "invalid package debug map"},
      {"region ending past 32 bits", [](Application& a) { a.debug_regions[1].address = 0xffffffff; },
       "invalid package debug map"},
      {"region on a missing tile", [](Application& a) { a.debug_regions[1].physical_tile = 2; },
       "invalid package debug map"},
      {"region for no tile while a tile has that number",
       [](Application& a) { a.tiles.push_back(tile(NO_PHYSICAL_TILE)); }, ACCEPTED},
  };
  expect_outcomes(cases);
}

TEST(Validate, Bindings) {
  const Case cases[] = {
      {"weight named like an input", [](Application& a) { a.weights[0].name = "x"; }, "empty or duplicate binding x"},
      {"empty name on the first binding", [](Application& a) { a.inputs[0].name.clear(); },
       "empty or duplicate binding "},
      {"slice of 2^32 bytes", [](Application& a) { a.inputs[0].slices[0].size = 0x100000000; },
       "binding x slice is too large"},
      {"slice ending past 32 bits", [](Application& a) { a.inputs[0].slices = {region_slice(0, 0xffffffff, 1)}; },
       "binding address overflow"},
      {"slice on a missing tile", [](Application& a) { a.inputs[0].slices[0].tile = 2; },
       "binding x references invalid tile memory"},
      {"slice below the window", [](Application& a) { a.inputs[0].slices = {region_slice(0, 0x4bfff, 1)}; },
       "binding x references invalid tile memory"},
      {"slice one byte past the window", [](Application& a) { a.outputs[0].slices[0].size = 0x101; },
       "binding y references invalid tile memory"},
      {"slices of a binding come before the next name",
       [](Application& a) {
         a.inputs[0].slices.push_back(region_slice(2, 0x4c000, 1));
         a.outputs[0].name = "x";
       },
       "binding x references invalid tile memory"},
  };
  expect_outcomes(cases);
}

TEST(Validate, HostPagesAndStartupSlot) {
  const Case cases[] = {
      {"repeated page index with an equal size",
       [](Application& a) { a.host_exchange.pages.push_back(a.host_exchange.pages[0]); }, "invalid host page table"},
      {"attach order names a missing page", [](Application& a) { a.host_exchange.attach_order.push_back(2); },
       "invalid host page table"},
      {"empty attach order", [](Application& a) { a.host_exchange.attach_order.clear(); }, ACCEPTED},
      {"without calls the command slot is free",
       [](Application& a) {
         a.host_exchange.calls.clear();
         a.host_exchange.command_page = 9;
         a.host_exchange.command_offset = U64_MAX;
       },
       ACCEPTED},
      {"command page missing", [](Application& a) { a.host_exchange.command_page = 9; },
       "invalid host startup protocol"},
      {"command word one byte past its page", [](Application& a) { a.host_exchange.command_offset = 13; },
       "invalid host startup protocol"},
      {"command word end past 64 bits", [](Application& a) { a.host_exchange.command_offset = U64_MAX - 3; },
       "invalid host startup protocol"},
  };
  expect_outcomes(cases);
}

TEST(Validate, HostCalls) {
  const Case cases[] = {
      {"no invocations comes before the batch ends",
       [](Application& a) {
         a.host_exchange.calls[0].invocations = 0;
         a.host_exchange.calls[0].input_batch_ends.clear();
       },
       "host call c has no invocations"},
      {"input batch ends", [](Application& a) { a.host_exchange.calls[0].input_batch_ends = {1}; },
       "host call c input batches cover 1 of 2 slices"},
      {"output batch ends", [](Application& a) { a.host_exchange.calls[0].output_batch_ends = {2}; },
       "host call c has invalid output batch boundary 2"},
      {"input ends before output ends",
       [](Application& a) {
         a.host_exchange.calls[0].input_batch_ends.clear();
         a.host_exchange.calls[0].output_batch_ends.clear();
       },
       "host call c input batches cover 0 of 2 slices"},
      {"batch ends before slices",
       [](Application& a) {
         a.host_exchange.calls[0].output_batch_ends.clear();
         a.host_exchange.calls[0].inputs[0].page = 9;
       },
       "host call c output batches cover 0 of 1 slices"},
      {"slice on a missing page", [](Application& a) { a.host_exchange.calls[0].outputs[0].page = 9; },
       "host call c references missing page"},
      {"slice one byte past its page", [](Application& a) { a.host_exchange.calls[0].inputs[1].size = 33; },
       "host call c exceeds page bounds"},
      {"slice end past 64 bits",
       [](Application& a) { a.host_exchange.calls[0].outputs[0] = host_slice(1, 8, U64_MAX - 7); },
       "host call c exceeds page bounds"},
      {"inputs come before outputs",
       [](Application& a) {
         a.host_exchange.calls[0].outputs[0].page = 9;
         a.host_exchange.calls[0].inputs[1].size = 33;
       },
       "host call c exceeds page bounds"},
      {"calls in order",
       [](Application& a) {
         a.host_exchange.calls.push_back(host_call("d"));
         a.host_exchange.calls.back().invocations = 0;
         a.host_exchange.calls.front().outputs[0].page = 9;
       },
       "host call c references missing page"},
  };
  expect_outcomes(cases);
}

// Starting from a valid application, faults are added from the last rule to
// the first; after each one the newest fault is the earliest and must be the
// one reported.
TEST(Validate, EarliestRuleWins) {
  const Case faults[] = {
      {"tiles", [](Application& a) { a.tiles.clear(); }, "application has no tiles"},
      {"config", [](Application& a) { a.device_config_writes[0].offset = 1; },
       "unaligned or duplicate device configuration write"},
      {"duplicate tile", [](Application& a) { a.tiles.insert(a.tiles.begin() + 1, tile(0)); },
       "duplicate physical tile 0"},
      {"segment overflow",
       [](Application& a) { a.tiles[1].segments.insert(a.tiles[1].segments.begin(), segment(0xffffffff, 1)); },
       "segment address overflow"},
      {"segment window", [](Application& a) { a.tiles[1].segments.push_back(segment(0x4b000, 4)); },
       "invalid segment on tile 1: address=0x4b000 end=0x4b004 memory_size=4 data_size=0"},
      {"overlap", [](Application& a) { a.tiles[1].segments.push_back(segment(0x4c0ff, 2)); },
       "overlapping segments on tile 1: 0x4c000..0x4c100 and 0x4c0ff..0x4c101"},
      {"profile plan", [](Application& a) { a.profile_tiles[0].steps[1].local_index = 5; },
       "invalid tile profile plan"},
      {"debug map", [](Application& a) { a.debug_regions[0].size = 0; }, "invalid package debug map"},
      {"binding name", [](Application& a) { a.inputs.insert(a.inputs.begin(), binding("")); },
       "empty or duplicate binding "},
      {"binding too large", [](Application& a) { a.inputs[0].slices[0].size = U64_MAX; },
       "binding x slice is too large"},
      {"page table", [](Application& a) { a.host_exchange.attach_order.push_back(5); }, "invalid host page table"},
      {"startup slot", [](Application& a) { a.host_exchange.command_offset = 13; }, "invalid host startup protocol"},
      {"invocations", [](Application& a) { a.host_exchange.calls[0].invocations = 0; },
       "host call c has no invocations"},
      {"batch ends", [](Application& a) { a.host_exchange.calls[0].input_batch_ends = {0}; },
       "host call c has invalid input batch boundary 0"},
      {"host slice", [](Application& a) { a.host_exchange.calls[0].inputs[0].page = 4; },
       "host call c references missing page"},
  };
  Application application = loadable();
  for (auto fault = std::rbegin(faults); fault != std::rend(faults); ++fault) {
    SCOPED_TRACE(fault->name);
    fault->change(application);
    EXPECT_EQ(outcome(application.validate()), fault->expected);
  }
}

TEST(HostBatchEnds, EndsRiseStrictlyAndCoverEverySlice) {
  struct BatchCase {
    std::vector<std::uint32_t> ends;
    std::size_t slice_count;
    std::string_view expected;
  };
  const BatchCase cases[] = {
      {{}, 0, ACCEPTED},
      {{1}, 1, ACCEPTED},
      {{2, 5, 6}, 6, ACCEPTED},
      {{}, 1, "host call explicit-batches input batches cover 0 of 1 slices"},
      {{1}, 2, "host call explicit-batches input batches cover 1 of 2 slices"},
      {{0}, 3, "host call explicit-batches has invalid input batch boundary 0"},
      {{1, 1}, 2, "host call explicit-batches has invalid input batch boundary 1"},
      {{2, 1}, 2, "host call explicit-batches has invalid input batch boundary 1"},
      {{3}, 2, "host call explicit-batches has invalid input batch boundary 3"},
      {{1}, 0, "host call explicit-batches has invalid input batch boundary 1"},
      {{1, 7, 2}, 2, "host call explicit-batches has invalid input batch boundary 7"},
      {{0xffffffff}, 0xffffffff, ACCEPTED},
  };
  const HostCall call = host_call("explicit-batches");
  for (const auto& test_case : cases) {
    SCOPED_TRACE(::testing::PrintToString(test_case.ends) + " over " + std::to_string(test_case.slice_count));
    EXPECT_EQ(outcome(validate_host_batch_ends(call, "input", test_case.ends, test_case.slice_count)),
              test_case.expected);
  }
  EXPECT_EQ(outcome(validate_host_batch_ends(call, "output", {}, 1)),
            "host call explicit-batches output batches cover 0 of 1 slices");
}

}  // namespace
}  // namespace zor
