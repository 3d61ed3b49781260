// Writes the seed corpora of the fuzz targets below the folder given as the
// only argument (fuzz/corpus in the source tree): the packages, profile
// report files and JSON texts of a few applications and reports that between
// them use every field. Files are named seed-<name>; inputs that campaigns
// add to a corpus are named otherwise and left alone.
#include "checks.hpp"
#include "support/full_application.hpp"

#include <zor/package/debug_text.hpp>

#include <fmt/format.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The sample application grown into the one the package round-trip check
// writes: a profile plan, a configuration write, debug entries and a host
// exchange with one batched call.
zor::Application round_trip_application() {
  auto application = zor::tests::sample();
  application.profile_tiles.push_back(zor::TileProfilePlan{
      .physical_tile = 0,
      .steps = {zor::ProfileStep{
          .local_index = 0,
          .phase = 7,
          .epoch = 0,
          .operation = "operation.0",
          .kind = zor::ProfileStepKind::Compute,
          .kernel = "kernel",
          .metadata = {zor::ProfileMetadata{.name = "reason", .value = "OperatorKernel"}},
          .exchange_activities = {zor::ProfileExchangeActivity{
                                      .kind = zor::ExchangeActivityKind::Receive, .start_cycle = 3, .end_cycle = 11},
                                  zor::ProfileExchangeActivity{
                                      .kind = zor::ExchangeActivityKind::PartnerBusy, .start_cycle = 1, .end_cycle = 3}},
          .exchange_event_cycles = 13,
      }},
  });
  application.device_config_writes.push_back(zor::DeviceConfigWrite{.offset = 0x4018, .value = 0xc000000d});
  application.debug_symbols.push_back(zor::DebugSymbol{.name = "kernel", .address = 0x4c000});
  application.debug_regions.push_back(zor::DebugRegion{
      .physical_tile = zor::NO_PHYSICAL_TILE, .address = 0x4c000, .size = 8, .name = "linked executable"});
  application.host_exchange = zor::HostExchange{
      .startup_mark = 1,
      .command_page = 0,
      .command_offset = 0,
      .pages = {zor::HostPage{.index = 0, .size = 0x1000}, zor::HostPage{.index = 1, .size = 0x2000}},
      .attach_order = {0, 1},
      .calls = {zor::HostCall{
          .name = "batched",
          .command = 2,
          .phases = 4,
          .inputs = {zor::HostSlice{.page = 1, .page_offset = 0, .file_offset = 0, .size = 16},
                     zor::HostSlice{.page = 1, .page_offset = 0x1000, .file_offset = 16, .size = 16}},
          .outputs = {zor::HostSlice{.page = 1, .page_offset = 0, .file_offset = 0, .size = 32}},
          .invocations = 1,
          .input_batch_ends = {2},
          .output_batch_ends = {1},
      }},
  };
  return application;
}

bool save(const fs::path& path, std::span<const char> bytes) {
  std::error_code error;
  fs::create_directories(path.parent_path(), error);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (error || !file) {
    fmt::print(stderr, "{}: cannot be written\n", path.string());
    return false;
  }
  return true;
}

template <class Record>
bool save_written(const fs::path& path, const Record& record) {
  std::vector<std::uint8_t> bytes;
  if (auto status = record.write(bytes); !status) {
    fmt::print(stderr, "{}: {}\n", path.string(), status.error());
    return false;
  }
  return save(path, std::span(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fmt::print(stderr, "usage: {} CORPUS_FOLDER\n", argc > 0 ? argv[0] : "zor_fuzz_corpus");
    return 2;
  }
  const fs::path corpus = argv[1];
  const std::pair<std::string_view, zor::Application> applications[] = {
      {"sample", zor::tests::sample()},
      {"round-trip", round_trip_application()},
      {"full", zor::test_support::full_application()},
  };
  const std::pair<std::string_view, zor::ProfileReport> reports[] = {
      {"empty", zor::ProfileReport{.clock_hz = 1'500'000'000, .tiles = {}}},
      {"full", zor::test_support::full_profile_report()},
  };
  bool saved = true;
  for (const auto& [name, application] : applications) {
    saved = save_written(corpus / "read_package" / fmt::format("seed-{}", name), application) && saved;
  }
  for (const auto& [name, report] : reports) {
    saved = save_written(corpus / "read_profile" / fmt::format("seed-{}", name), report) && saved;
  }
  return saved ? 0 : 1;
}
