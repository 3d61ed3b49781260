// A valid application that uses every field of the model: several tiles,
// bindings, host calls, profile steps with every step and activity kind,
// texts with multi-byte characters and empty texts, empty lists, and the
// largest values the rules allow.
#pragma once

#include <zor/package/model.hpp>

#include <cstdint>
#include <limits>

namespace zor::test_support {

inline constexpr std::uint32_t U32_MAX = std::numeric_limits<std::uint32_t>::max();
inline constexpr std::uint64_t U64_MAX = std::numeric_limits<std::uint64_t>::max();

inline ProfileStep full_profile_step() {
  return ProfileStep{
      .local_index = 0,
      .phase = U32_MAX,
      .epoch = 3,
      .operation = "matmul/ø",
      .kind = ProfileStepKind::Exchange,
      .kernel = "gemm_f32",
      .metadata = {ProfileMetadata{.name = "reason", .value = "OperatorKernel"},
                   ProfileMetadata{.name = "", .value = ""}},
      .exchange_activities =
          {ProfileExchangeActivity{.kind = ExchangeActivityKind::PartnerBusy, .start_cycle = 9, .end_cycle = 2},
           ProfileExchangeActivity{.kind = ExchangeActivityKind::Send, .start_cycle = 0, .end_cycle = U32_MAX},
           ProfileExchangeActivity{.kind = ExchangeActivityKind::Receive, .start_cycle = 1, .end_cycle = 1}},
      .exchange_event_cycles = U32_MAX,
  };
}

// A step with every text and list empty.
inline ProfileStep empty_profile_step(std::uint32_t local_index, ProfileStepKind kind) {
  return ProfileStep{
      .local_index = local_index,
      .phase = 0,
      .epoch = 0,
      .operation = "",
      .kind = kind,
      .kernel = "",
      .metadata = {},
      .exchange_activities = {},
      .exchange_event_cycles = 0,
  };
}

inline Application full_application() {
  Application application;
  application.compiler_version = "zorc 2.1.0-β";
  application.tiles = {
      TileImage{
          .physical_tile = 0,
          .entry_point = 0x4c000,
          .command_address = 0x4c100,
          .diagnostic_address = 0x4c200,
          .segments = {Segment{.address = 0x4c000, .memory_size = 8, .data = {0x01, 0x02, 0x03, 0x04}, .flags = 5},
                       Segment{.address = 0x4c100, .memory_size = 0, .data = {}, .flags = 0},
                       Segment{.address = 0xe7ff0, .memory_size = 0x10, .data = {0xff}, .flags = U32_MAX}},
      },
      TileImage{
          .physical_tile = U32_MAX - 1,
          .entry_point = U32_MAX,
          .command_address = 0,
          .diagnostic_address = 0,
          .segments = {},
      },
  };
  application.inputs = {Binding{
      .name = "input",
      .dtype = "f32",
      .shape = {2, 3},
      .slices = {RegionSlice{.tile = 0, .tile_address = 0x4c100, .file_offset = 0, .size = 12},
                 RegionSlice{.tile = U32_MAX - 1, .tile_address = 0x4c000, .file_offset = 12, .size = 12}},
  }};
  application.outputs = {Binding{
      .name = "résultat",
      .dtype = "",
      .shape = {},
      .slices = {RegionSlice{.tile = 0, .tile_address = 0xe7000, .file_offset = U64_MAX, .size = 0x1000}},
  }};
  application.host_exchange = HostExchange{
      .startup_mark = U32_MAX,
      .command_page = 3,
      .command_offset = 8,
      .pages = {HostPage{.index = 3, .size = U64_MAX}, HostPage{.index = 9, .size = 0x100}},
      .attach_order = {9, 3},
      .calls =
          {HostCall{
               .name = "load",
               .command = 2,
               .phases = 4,
               .inputs = {HostSlice{.page = 9, .page_offset = 0, .file_offset = 0, .size = 0x80},
                          HostSlice{.page = 3, .page_offset = U64_MAX - 16, .file_offset = U64_MAX, .size = 16}},
               .outputs = {},
               .invocations = 1,
               .input_batch_ends = {1, 2},
               .output_batch_ends = {},
           },
           HostCall{
               .name = "",
               .command = U32_MAX,
               .phases = 0,
               .inputs = {},
               .outputs = {HostSlice{.page = 9, .page_offset = 0x80, .file_offset = 4, .size = 0x80}},
               .invocations = U32_MAX,
               .input_batch_ends = {},
               .output_batch_ends = {1},
           }},
  };
  application.entry_points = {EntryPoint{.name = "main", .command = 1, .external_syncs = 0},
                              EntryPoint{.name = "", .command = U32_MAX, .external_syncs = U32_MAX}};
  application.device_config_writes = {DeviceConfigWrite{.offset = 0, .value = 0},
                                      DeviceConfigWrite{.offset = 0xfffffffc, .value = U32_MAX}};
  ProfileStep second = empty_profile_step(1, ProfileStepKind::Idle);
  application.profile_tiles = {
      TileProfilePlan{.physical_tile = U32_MAX - 1, .steps = {full_profile_step(), second}},
      TileProfilePlan{.physical_tile = 0, .steps = {}},
  };
  application.debug_symbols = {DebugSymbol{.name = "main", .address = 0x4c000},
                               DebugSymbol{.name = "Ω", .address = U32_MAX}};
  application.debug_regions = {DebugRegion{.physical_tile = NO_PHYSICAL_TILE, .address = 0, .size = 1, .name = "all"},
                               DebugRegion{.physical_tile = 0, .address = 0x4c000, .size = 0x100, .name = "code"}};
  return application;
}

}  // namespace zor::test_support
