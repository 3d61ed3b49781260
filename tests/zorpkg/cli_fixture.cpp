#include "cli_fixture.hpp"

#include "checks.hpp"
#include "support/written.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>

extern char** environ;

namespace zorpkg::cli_test {
namespace fs = std::filesystem;

zor::Application exchange_application() {
  auto application = zor::tests::sample();
  application.inputs.push_back(zor::Binding{
      .name = "image",
      .dtype = "u8",
      .shape = {2, 16},
      .slices = {zor::RegionSlice{.tile = 0, .tile_address = 0x4d000, .file_offset = 16, .size = 16},
                 zor::RegionSlice{.tile = 0, .tile_address = 0x4e000, .file_offset = 0, .size = 16}},
  });
  application.outputs.push_back(zor::Binding{
      .name = "scores",
      .dtype = "f32",
      .shape = {3},
      .slices = {zor::RegionSlice{.tile = 0, .tile_address = 0x4f000, .file_offset = 0, .size = 12}},
  });
  application.weights.push_back(zor::Binding{.name = "bias", .dtype = "f32", .shape = {}, .slices = {}});
  application.host_exchange = zor::HostExchange{
      .startup_mark = 0x5a5a,
      .command_page = 0,
      .command_offset = 0,
      .pages = {zor::HostPage{.index = 0, .size = 64}, zor::HostPage{.index = 1, .size = 4096}},
      .attach_order = {1, 0},
      .calls = {zor::HostCall{
          .name = "feed",
          .command = 7,
          .phases = 2,
          .inputs = {zor::HostSlice{.page = 1, .page_offset = 0, .file_offset = 0, .size = 16},
                     zor::HostSlice{.page = 1, .page_offset = 16, .file_offset = 16, .size = 16}},
          .outputs = {zor::HostSlice{.page = 1, .page_offset = 1024, .file_offset = 0, .size = 12}},
          .invocations = 3,
          .input_batch_ends = {1, 2},
          .output_batch_ends = {1},
      }},
  };
  application.entry_points.push_back(zor::EntryPoint{.name = "main", .command = 1, .external_syncs = 0});
  application.device_config_writes.push_back(zor::DeviceConfigWrite{.offset = 0x10, .value = 0xff});
  application.debug_symbols.push_back(zor::DebugSymbol{.name = "start", .address = 0x4c000});
  application.debug_regions.push_back(
      zor::DebugRegion{.physical_tile = zor::NO_PHYSICAL_TILE, .address = 0x4c000, .size = 8, .name = "code"});
  return application;
}

zor::Application profiled_application() {
  auto application = zor::tests::sample();
  application.outputs.push_back(zor::Binding{
      .name = "scores",
      .dtype = "f32",
      .shape = {4},
      .slices = {zor::RegionSlice{.tile = 0, .tile_address = 0x4f000, .file_offset = 0, .size = 16}},
  });
  application.outputs.push_back(zor::Binding{
      .name = "profile.cycles",
      .dtype = "u32",
      .shape = {3},
      .slices = {zor::RegionSlice{.tile = 0, .tile_address = 0x4f100, .file_offset = 0, .size = 12}},
  });
  const auto step = [](std::uint32_t index, zor::ProfileStepKind kind, std::string operation) {
    return zor::ProfileStep{.local_index = index,
                            .phase = 0,
                            .epoch = index,
                            .operation = std::move(operation),
                            .kind = kind,
                            .kernel = "kernel" + std::to_string(index),
                            .metadata = {zor::ProfileMetadata{.name = "dtype", .value = "f32"}},
                            .exchange_activities = {},
                            .exchange_event_cycles = 0};
  };
  application.profile_tiles.push_back(zor::TileProfilePlan{
      .physical_tile = 0,
      .steps = {step(0, zor::ProfileStepKind::Compute, "matmul"),
                step(1, zor::ProfileStepKind::Exchange, "gather")},
  });
  return application;
}

std::vector<std::uint8_t> profiled_run_output() {
  std::vector<std::uint8_t> output(16, 0xee);
  for (const std::uint32_t counter : {100U, 250U, 400U}) {
    for (unsigned shift = 0; shift < 32; shift += 8) {
      output.push_back(static_cast<std::uint8_t>(counter >> shift));
    }
  }
  return output;
}

void ZorpkgTest::SetUp() {
  std::string pattern = (fs::temp_directory_path() / "zorpkg-cli-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  directory_ = pattern;
}

void ZorpkgTest::TearDown() { fs::remove_all(directory_); }

Outcome ZorpkgTest::run(const std::vector<std::string>& arguments, std::string_view input) {
  // Standard streams go through unlinked temporary files, so neither side
  // can block on a full pipe.
  std::array<std::FILE*, 3> streams{std::tmpfile(), std::tmpfile(), std::tmpfile()};
  for (auto* stream : streams) {
    if (stream == nullptr) {
      ADD_FAILURE() << "no temporary file";
      return Outcome{.status = -1, .out = {}, .err = {}};
    }
  }
  if (!input.empty()) {
    std::fwrite(input.data(), 1, input.size(), streams[0]);
    std::fflush(streams[0]);
  }
  std::rewind(streams[0]);

  std::vector<std::string> argv_storage{ZORPKG_BINARY};
  argv_storage.insert(argv_storage.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& argument : argv_storage) {
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd = 0; fd < 3; ++fd) {
    posix_spawn_file_actions_adddup2(&actions, ::fileno(streams[static_cast<std::size_t>(fd)]), fd);
  }
  pid_t child = 0;
  const int spawned = ::posix_spawn(&child, ZORPKG_BINARY, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int wait_status = 0;
  if (spawned != 0 || ::waitpid(child, &wait_status, 0) != child) {
    ADD_FAILURE() << "cannot run " << ZORPKG_BINARY;
  }

  const auto drain = [](std::FILE* stream) {
    std::rewind(stream);
    std::string text;
    std::array<char, 4096> chunk{};
    for (std::size_t got = 0; (got = std::fread(chunk.data(), 1, chunk.size(), stream)) > 0;) {
      text.append(chunk.data(), got);
    }
    std::fclose(stream);
    return text;
  };
  std::fclose(streams[0]);
  Outcome outcome{.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1,
                  .out = drain(streams[1]),
                  .err = drain(streams[2])};
  return outcome;
}

std::string ZorpkgTest::path(std::string_view name) const { return (directory_ / name).string(); }

std::string ZorpkgTest::write_file(std::string_view name, std::string_view bytes) const {
  std::ofstream(path(name), std::ios::binary) << bytes;
  return path(name);
}

std::string ZorpkgTest::write_package(std::string_view name, const zor::Application& application) const {
  return write_file(name, bytes_of(application));
}

bool ZorpkgTest::exists(std::string_view name) const { return fs::exists(directory_ / name); }

std::vector<std::string> ZorpkgTest::files() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory_)) {
    names.push_back(entry.path().filename().string());
  }
  std::ranges::sort(names);
  return names;
}

std::string ZorpkgTest::read_file(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ZorpkgTest::bytes_of(const zor::Application& application) {
  const auto bytes = zor::test_support::written(application);
  return {bytes.begin(), bytes.end()};
}

}  // namespace zorpkg::cli_test
