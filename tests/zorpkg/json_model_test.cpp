#include "json_model.hpp"

#include <zor/package/debug_text.hpp>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

namespace zorpkg {
namespace {

constexpr auto U64_MAX = std::numeric_limits<std::uint64_t>::max();
constexpr auto U32_MAX = std::numeric_limits<std::uint32_t>::max();

// Every record and list of the model, with values that would expose a field
// swapped, narrowed or dropped.
zor::Application rich_application() {
  zor::Application application;
  application.compiler_version = "compiler 2.4 \"beta\"";
  application.tiles.push_back(zor::TileImage{
      .physical_tile = 7,
      .entry_point = 0x4c010,
      .command_address = 0x4c100,
      .diagnostic_address = 0x4c200,
      .segments = {zor::Segment{.address = 0x4c000, .memory_size = 16, .data = {0x00, 0xab, 0xff, 0x10}, .flags = 3},
                   zor::Segment{.address = 0x50000, .memory_size = 0, .data = {}, .flags = U32_MAX}},
  });
  application.inputs.push_back(zor::Binding{
      .name = "image",
      .dtype = "f16",
      .shape = {1, 224, 224},
      .slices = {zor::RegionSlice{.tile = 7, .tile_address = 0x4c400, .file_offset = U64_MAX - 1, .size = 1}},
  });
  application.outputs.push_back(
      zor::Binding{.name = "profile.cycles", .dtype = "u32", .shape = {}, .slices = {}});
  application.weights.push_back(zor::Binding{.name = "w", .dtype = "", .shape = {U32_MAX}, .slices = {}});
  application.host_exchange = zor::HostExchange{
      .startup_mark = 0xfeed,
      .command_page = 2,
      .command_offset = U64_MAX,
      .pages = {zor::HostPage{.index = 2, .size = 4096}},
      .attach_order = {2, 0},
      .calls = {zor::HostCall{
          .name = "load",
          .command = 9,
          .phases = 2,
          .inputs = {zor::HostSlice{.page = 2, .page_offset = 8, .file_offset = 16, .size = U64_MAX}},
          .outputs = {},
          .invocations = 0,
          .input_batch_ends = {1},
          .output_batch_ends = {},
      }},
  };
  application.entry_points.push_back(zor::EntryPoint{.name = "main", .command = 1, .external_syncs = 4});
  application.device_config_writes.push_back(zor::DeviceConfigWrite{.offset = 0x40, .value = U32_MAX});
  application.profile_tiles.push_back(zor::TileProfilePlan{
      .physical_tile = 7,
      .steps = {zor::ProfileStep{
          .local_index = 0,
          .phase = 1,
          .epoch = 2,
          .operation = "matmul",
          .kind = zor::ProfileStepKind::Synchronization,
          .kernel = "mm",
          .metadata = {zor::ProfileMetadata{.name = "k", .value = "v"}},
          .exchange_activities = {zor::ProfileExchangeActivity{
              .kind = zor::ExchangeActivityKind::PartnerBusy, .start_cycle = 3, .end_cycle = 9}},
          .exchange_event_cycles = 6,
      }},
  });
  application.debug_symbols.push_back(zor::DebugSymbol{.name = "start", .address = 0x4c000});
  application.debug_regions.push_back(
      zor::DebugRegion{.physical_tile = zor::NO_PHYSICAL_TILE, .address = 0x4c000, .size = 16, .name = "stack"});
  return application;
}

TEST(JsonModel, ApplicationRoundTripsThroughJson) {
  const auto application = rich_application();
  const auto text = application_to_json(application);
  const auto decoded = application_from_json(text);
  ASSERT_TRUE(decoded.has_value()) << decoded.error();
  EXPECT_EQ(*decoded, application);
}

TEST(JsonModel, JsonUsesModelNamesExactIntegersHexAndEnumeratorNames) {
  const auto document = nlohmann::ordered_json::parse(application_to_json(rich_application()));
  EXPECT_EQ(document.begin().key(), "compiler_version");
  EXPECT_EQ(std::prev(document.end()).key(), "debug_regions");
  const auto& segment = document["tiles"][0]["segments"][0];
  EXPECT_EQ(segment["data"], "00abff10");
  EXPECT_EQ(segment["address"], 0x4c000);
  EXPECT_EQ(document["host_exchange"]["command_offset"].get<std::uint64_t>(), U64_MAX);
  EXPECT_TRUE(document["host_exchange"]["command_offset"].is_number_unsigned());
  const auto& step = document["profile_tiles"][0]["steps"][0];
  EXPECT_EQ(step["kind"], "Synchronization");
  EXPECT_EQ(step["exchange_activities"][0]["kind"], "PartnerBusy");
}

TEST(JsonModel, OmittedFieldsTakeTheirDefaults) {
  const auto empty = application_from_json("{}");
  ASSERT_TRUE(empty.has_value()) << empty.error();
  EXPECT_EQ(*empty, zor::Application{});
  EXPECT_EQ(empty->compiler_version, "0.1.0");

  const auto call = application_from_json(R"({"host_exchange": {"calls": [{"name": "c"}]}})");
  ASSERT_TRUE(call.has_value()) << call.error();
  ASSERT_EQ(call->host_exchange.calls.size(), 1U);
  EXPECT_EQ(call->host_exchange.calls[0].invocations, 1U);
  EXPECT_EQ(call->host_exchange.calls[0].command, 0U);
  EXPECT_EQ(call->host_exchange.calls[0].name, "c");

  // An explicit 0 is kept, not replaced by the default.
  const auto zero = application_from_json(R"({"host_exchange": {"calls": [{"invocations": 0}]}})");
  ASSERT_TRUE(zero.has_value()) << zero.error();
  EXPECT_EQ(zero->host_exchange.calls[0].invocations, 0U);
}

struct RejectedJson {
  const char* text;
  const char* message;

  friend void PrintTo(const RejectedJson& rejected, std::ostream* out) { *out << rejected.text; }
};

class JsonModelRejects : public testing::TestWithParam<RejectedJson> {};

TEST_P(JsonModelRejects, WithAMessageNamingThePath) {
  const auto result = application_from_json(GetParam().text);
  ASSERT_FALSE(result.has_value());
  ASSERT_EQ(result.error().kind(), zor::PackageError::Kind::Invalid);
  EXPECT_EQ(*result.error().invalid_message(), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonModelRejects,
    testing::Values(
        RejectedJson{R"({"tiles": [{}, {"segments": [{}, {"address": 4294967296}]}]})",
                     "/tiles/1/segments/1/address: 4294967296 is out of range for unsigned 32-bit"},
        RejectedJson{R"({"debug_symbols": [{"address": -1}]})",
                     "/debug_symbols/0/address: -1 is out of range for unsigned 32-bit"},
        RejectedJson{R"({"host_exchange": {"command_offset": 18446744073709551616}})",
                     "/host_exchange/command_offset: expected an unsigned 64-bit integer, found number "
                     "1.8446744073709552e+19"},
        RejectedJson{R"({"tiles": [{"entry_point": 1.5}]})",
                     "/tiles/0/entry_point: expected an unsigned 32-bit integer, found number 1.5"},
        RejectedJson{R"({"tiles": [{"physical_tile": "0"}]})",
                     "/tiles/0/physical_tile: expected an unsigned 32-bit integer, found string"},
        RejectedJson{R"({"compiler_version": null})", "/compiler_version: expected a string, found null"},
        RejectedJson{R"({"tiles": {}})", "/tiles: expected an array, found object"},
        RejectedJson{R"([])", "/: expected an object, found array"},
        RejectedJson{R"({"tiles": [{"segmentz": []}]})", "/tiles/0/segmentz: unknown field"},
        RejectedJson{R"({"host_exchange": {"a/b~": 1}})", "/host_exchange/a~1b~0: unknown field"},
        RejectedJson{R"({"tiles": [{"segments": [{"data": "abc"}]}]})",
                     "/tiles/0/segments/0/data: odd number of hex digits"},
        RejectedJson{R"({"tiles": [{"segments": [{"data": "0g"}]}]})",
                     "/tiles/0/segments/0/data: invalid hex digit at offset 1"},
        RejectedJson{R"({"profile_tiles": [{"steps": [{"kind": "Busy"}]}]})",
                     "/profile_tiles/0/steps/0/kind: unknown ProfileStepKind \"Busy\", expected one of Exchange, "
                     "Compute, Synchronization, Idle"},
        RejectedJson{R"({"profile_tiles": [{"steps": [{"exchange_activities": [{"kind": 2}]}]}]})",
                     "/profile_tiles/0/steps/0/exchange_activities/0/kind: expected ExchangeActivityKind name (one "
                     "of Send, Receive, PartnerBusy), found number 2"},
        RejectedJson{R"({"tiles": [1, {"physical_tile": 1, "physical_tile": 2}]})",
                     "/tiles/1/physical_tile: duplicate field"}));

TEST(JsonModel, MalformedTextIsRejectedWithItsPosition) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {R"({"tiles": [})", "invalid JSON: parse error at line 1, column 12: "},
      {"{}\n {}", "invalid JSON: parse error at line 2, column 2: "},
      {"", "invalid JSON: parse error at line 1, column 1: "},
      {"{\"name\": \"\xff\"}", "invalid JSON: parse error at line 1, column 11: "},
  };
  for (const auto& [text, prefix] : cases) {
    const auto result = application_from_json(text);
    ASSERT_FALSE(result.has_value()) << text;
    ASSERT_EQ(result.error().kind(), zor::PackageError::Kind::Invalid);
    EXPECT_TRUE(result.error().invalid_message()->starts_with(prefix)) << *result.error().invalid_message();
  }
}

TEST(JsonModel, RefusesDeepNestingBeforeBuildingIt) {
  const std::string deep = R"({"tiles": )" + std::string(100000, '[') + std::string(100000, ']') + "}";
  const auto result = application_from_json(deep);
  ASSERT_FALSE(result.has_value());
  // The document and "tiles" are two levels; the 63rd array inside is one
  // too many.
  std::string path = "/tiles";
  for (int level = 0; level < 63; ++level) {
    path += "/0";
  }
  EXPECT_EQ(*result.error().invalid_message(), path + ": JSON nesting deeper than 64 levels");
}

TEST(JsonModel, ProfileReportUsesTheSameForm) {
  const zor::ProfileReport report{
      .clock_hz = U64_MAX,
      .tiles = {zor::TileProfile{
          .physical_tile = 3,
          .samples = {zor::CycleSample{.step = rich_application().profile_tiles[0].steps[0],
                                       .start_cycle = 100,
                                       .end_cycle = 250}}}},
  };
  const auto document = nlohmann::ordered_json::parse(profile_report_to_json(report));
  EXPECT_EQ(document["clock_hz"].get<std::uint64_t>(), U64_MAX);
  const auto& sample = document["tiles"][0]["samples"][0];
  EXPECT_EQ(sample["start_cycle"], 100);
  EXPECT_EQ(sample["end_cycle"], 250);
  EXPECT_EQ(sample["step"]["operation"], "matmul");
  EXPECT_EQ(sample["step"]["kind"], "Synchronization");
}

}  // namespace
}  // namespace zorpkg
