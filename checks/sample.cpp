#include "checks.hpp"

namespace zor::tests {

Application sample() {
  Application application;
  application.tiles.push_back(TileImage{
      .physical_tile = 0,
      .entry_point = 0x4c000,
      .command_address = 0x4c100,
      .diagnostic_address = 0x4c200,
      .segments = {Segment{.address = 0x4c000, .memory_size = 8, .data = {0x01, 0x02, 0x03, 0x04}, .flags = 5}},
  });
  return application;
}

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

}  // namespace zor::tests
