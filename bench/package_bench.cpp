// Speed and memory of the library's operations on packages of growing size.
// Each benchmark reports the package bytes it handles per second and the
// process's peak resident memory after it ran.
#include <zor/package/package.hpp>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t SEGMENTS_PER_TILE = 4;
constexpr std::uint32_t SEGMENT_BYTES = 4096;
constexpr std::uint32_t STEPS_PER_TILE = 32;

zor::ProfileStep step(std::uint32_t index) {
  return zor::ProfileStep{
      .local_index = index,
      .phase = index,
      .epoch = 0,
      .operation = "operation." + std::to_string(index),
      .kind = zor::ProfileStepKind::Compute,
      .kernel = "kernel",
      .metadata = {zor::ProfileMetadata{.name = "reason", .value = "OperatorKernel"}},
      .exchange_activities = {},
      .exchange_event_cycles = 0,
  };
}

// A valid application of `tile_count` tiles, each with a few segments of
// data and a profile plan, and a "profile.cycles" output covering every
// plan.
zor::Application application(std::uint32_t tile_count) {
  zor::Application result;
  zor::Binding cycles{.name = "profile.cycles", .dtype = "u32", .shape = {}, .slices = {}};
  std::uint64_t cycles_offset = 0;
  for (std::uint32_t tile = 0; tile < tile_count; ++tile) {
    zor::TileImage image{.physical_tile = tile,
                         .entry_point = zor::TILE_MEMORY_BASE,
                         .command_address = zor::TILE_MEMORY_BASE,
                         .diagnostic_address = zor::TILE_MEMORY_BASE,
                         .segments = {}};
    for (std::uint32_t segment = 0; segment < SEGMENTS_PER_TILE; ++segment) {
      image.segments.push_back(zor::Segment{.address = zor::TILE_MEMORY_BASE + segment * SEGMENT_BYTES,
                                            .memory_size = SEGMENT_BYTES,
                                            .data = std::vector<std::uint8_t>(SEGMENT_BYTES, 0x5a),
                                            .flags = 0});
    }
    result.tiles.push_back(std::move(image));
    zor::TileProfilePlan plan{.physical_tile = tile, .steps = {}};
    for (std::uint32_t index = 0; index < STEPS_PER_TILE; ++index) {
      plan.steps.push_back(step(index));
    }
    result.profile_tiles.push_back(std::move(plan));
    const std::uint64_t slice_size = 4 * std::uint64_t{STEPS_PER_TILE + 1};
    cycles.slices.push_back(zor::RegionSlice{
        .tile = tile, .tile_address = zor::TILE_MEMORY_BASE, .file_offset = cycles_offset, .size = slice_size});
    cycles_offset += slice_size;
  }
  result.outputs.push_back(std::move(cycles));
  return result;
}

void report_peak_memory(benchmark::State& state) {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_kib"] = static_cast<double>(usage.ru_maxrss);
}

std::vector<std::uint8_t> written(const zor::Application& app) {
  std::vector<std::uint8_t> bytes;
  if (!app.write(bytes)) {
    return {};
  }
  return bytes;
}

void write_package(benchmark::State& state) {
  const auto app = application(static_cast<std::uint32_t>(state.range(0)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::vector<std::uint8_t> output;
    if (!app.write(output)) {
      state.SkipWithError("write failed");
      return;
    }
    bytes = output.size();
    benchmark::DoNotOptimize(output.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
  report_peak_memory(state);
}

void read_package(benchmark::State& state) {
  const auto bytes = written(application(static_cast<std::uint32_t>(state.range(0))));
  for (auto _ : state) {
    auto app = zor::Application::read(bytes);
    if (!app) {
      state.SkipWithError("read failed");
      return;
    }
    benchmark::DoNotOptimize(app->tiles.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
  report_peak_memory(state);
}

void validate_application(benchmark::State& state) {
  const auto app = application(static_cast<std::uint32_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(app.validate().has_value());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
  report_peak_memory(state);
}

void tile_image(benchmark::State& state) {
  const auto app = application(1);
  for (auto _ : state) {
    auto image = app.tile_image(0);
    benchmark::DoNotOptimize(image->data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * SEGMENTS_PER_TILE * SEGMENT_BYTES);
}

void derive_profile_report(benchmark::State& state) {
  const auto tile_count = static_cast<std::uint32_t>(state.range(0));
  const auto app = application(tile_count);
  const std::vector<std::uint8_t> output(zor::binding_size(app.outputs.front()), 0x11);
  for (auto _ : state) {
    auto report = app.profile_report(output, 1'500'000'000);
    if (!report) {
      state.SkipWithError("derivation failed");
      return;
    }
    benchmark::DoNotOptimize(report->tiles.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * tile_count * STEPS_PER_TILE);
  report_peak_memory(state);
}

// A 16-byte input whose segment table claims 32 GiB: reading it must stay
// small and fast.
void read_hostile_segment_table(benchmark::State& state) {
  const std::vector<std::uint8_t> input{0, 0, 0, 0, 0xff, 0xff, 0xff, 0xff, 0, 0, 0, 0, 0, 0, 0, 0};
  for (auto _ : state) {
    benchmark::DoNotOptimize(zor::Application::read(input).has_value());
  }
  report_peak_memory(state);
}

BENCHMARK(write_package)->RangeMultiplier(8)->Range(1, 512)->Unit(benchmark::kMicrosecond);
BENCHMARK(read_package)->RangeMultiplier(8)->Range(1, 512)->Unit(benchmark::kMicrosecond);
BENCHMARK(validate_application)->RangeMultiplier(8)->Range(1, 512)->Unit(benchmark::kMicrosecond);
BENCHMARK(tile_image)->Unit(benchmark::kMicrosecond);
BENCHMARK(derive_profile_report)->RangeMultiplier(8)->Range(1, 512)->Unit(benchmark::kMicrosecond);
BENCHMARK(read_hostile_segment_table);

}  // namespace

BENCHMARK_MAIN();
