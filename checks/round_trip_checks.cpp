// Checks that what the library writes, it reads back unchanged.
#include "checks.hpp"

#include <zor/package/debug_text.hpp>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace zor::tests {
namespace {

// The sample with a profile plan, a device configuration write, debug
// entries and a host exchange with one batched call.
Application extended_sample() {
  Application application = sample();
  application.profile_tiles.push_back(TileProfilePlan{
      .physical_tile = 0,
      .steps = {ProfileStep{
          .local_index = 0,
          .phase = 7,
          .epoch = 0,
          .operation = "operation.0",
          .kind = ProfileStepKind::Compute,
          .kernel = "kernel",
          .metadata = {ProfileMetadata{.name = "reason", .value = "OperatorKernel"}},
          // A compute step may carry exchange activities, in any order.
          .exchange_activities =
              {ProfileExchangeActivity{.kind = ExchangeActivityKind::Receive, .start_cycle = 3, .end_cycle = 11},
               ProfileExchangeActivity{.kind = ExchangeActivityKind::PartnerBusy, .start_cycle = 1, .end_cycle = 3}},
          .exchange_event_cycles = 13,
      }},
  });
  application.device_config_writes.push_back(DeviceConfigWrite{.offset = 0x4018, .value = 0xc000000d});
  application.debug_symbols.push_back(DebugSymbol{.name = "kernel", .address = 0x4c000});
  application.debug_regions.push_back(
      DebugRegion{.physical_tile = NO_PHYSICAL_TILE, .address = 0x4c000, .size = 8, .name = "linked executable"});
  application.host_exchange = HostExchange{
      .startup_mark = 1,
      .command_page = 0,
      .command_offset = 0,
      .pages = {HostPage{.index = 0, .size = 0x1000}, HostPage{.index = 1, .size = 0x2000}},
      .attach_order = {0, 1},
      .calls = {HostCall{
          .name = "batched",
          .command = 2,
          .phases = 4,
          .inputs = {HostSlice{.page = 1, .page_offset = 0, .file_offset = 0, .size = 16},
                     HostSlice{.page = 1, .page_offset = 0x1000, .file_offset = 16, .size = 16}},
          .outputs = {HostSlice{.page = 1, .page_offset = 0, .file_offset = 0, .size = 32}},
          .invocations = 1,
          .input_batch_ends = {2},
          .output_batch_ends = {1},
      }},
  };
  return application;
}

void package_round_trip() {
  const Application application = extended_sample();
  std::vector<std::uint8_t> bytes;
  const auto written = application.write(bytes);
  ASSERT_TRUE(written.has_value()) << written.error();

  const auto read = Application::read(bytes);
  ASSERT_TRUE(read.has_value()) << read.error();
  ASSERT_EQ(*read, application);

  const auto image = read->tile_image(0);
  ASSERT_TRUE(image.has_value()) << image.error();
  ASSERT_GE(image->size(), 8U);
  // The four stored bytes, then the zero fill up to the segment's memory size.
  EXPECT_EQ(std::vector<std::uint8_t>(image->begin(), image->begin() + 8),
            (std::vector<std::uint8_t>{0x01, 0x02, 0x03, 0x04, 0x00, 0x00, 0x00, 0x00}));
}

}  // namespace

const Check round_trip_and_reconstruct{"round_trip_and_reconstruct", &package_round_trip, __FILE__, __LINE__};

namespace {

// One sample per step kind. Each starts shortly before the 32-bit cycle
// counter wraps and ends after it, so its end is below its start.
ProfileReport wrapped_counter_report() {
  constexpr std::array kinds{ProfileStepKind::Exchange, ProfileStepKind::Compute, ProfileStepKind::Synchronization,
                             ProfileStepKind::Idle};
  TileProfile tile{.physical_tile = 17, .samples = {}};
  for (std::uint32_t position = 0; position < kinds.size(); ++position) {
    std::vector<ProfileExchangeActivity> activities;
    if (kinds[position] == ProfileStepKind::Exchange) {
      activities = {
          ProfileExchangeActivity{.kind = ExchangeActivityKind::Send, .start_cycle = 2, .end_cycle = 6},
          ProfileExchangeActivity{.kind = ExchangeActivityKind::PartnerBusy, .start_cycle = 6, .end_cycle = 8},
      };
    }
    tile.samples.push_back(CycleSample{
        .step =
            ProfileStep{
                .local_index = position,
                .phase = 5,
                .epoch = 8,
                .operation = "accumulate",
                .kind = kinds[position],
                .kernel = "gemm_f32_accumulate",
                .metadata = {ProfileMetadata{.name = "innerBlock", .value = "8"}},
                .exchange_activities = std::move(activities),
                .exchange_event_cycles = 9,
            },
        .start_cycle = 0xfffffff5U + position,
        .end_cycle = position + 7,
    });
  }
  return ProfileReport{.clock_hz = 1500000000, .tiles = {std::move(tile)}};
}

void profile_report_round_trip() {
  const ProfileReport report = wrapped_counter_report();
  std::vector<std::uint8_t> bytes;
  const auto written = report.write(bytes);
  ASSERT_TRUE(written.has_value()) << written.error();

  const auto read = ProfileReport::read(bytes);
  ASSERT_TRUE(read.has_value()) << read.error();
  EXPECT_EQ(*read, report);
}

}  // namespace

const Check profile_round_trip{"profile_round_trip", &profile_report_round_trip, __FILE__, __LINE__};

}  // namespace zor::tests
