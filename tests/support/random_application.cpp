#include "support/random_application.hpp"

#include <algorithm>
#include <array>
#include <concepts>
#include <functional>
#include <iterator>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace zor::test_support {
namespace {

class Draw {
 public:
  explicit Draw(std::uint64_t seed) : engine_(seed) {}

  template <std::unsigned_integral T>
  T between(T low, T high) {
    return std::uniform_int_distribution<T>(low, high)(engine_);
  }

  bool chance(unsigned percent) { return between(1U, 100U) <= percent; }

  std::size_t count(std::size_t most) { return between<std::size_t>(0, most); }

  // Any value of the type, but 0, 1 and the maximum half of the time.
  template <std::unsigned_integral T>
  T number() {
    constexpr T most = std::numeric_limits<T>::max();
    switch (between(0U, 5U)) {
      case 0:
        return 0;
      case 1:
        return 1;
      case 2:
        return most;
      default:
        return between<T>(0, most);
    }
  }

  std::string text() {
    static constexpr std::array<std::string_view, 7> fixed{"", "zor", "\xc3\xa9t\xc3\xa9", "\xe6\x97\xa5\xe6\x9c\xac",
                                                           "\xf0\x9f\x98\x80", "tab\there", "quote\"and\\"};
    if (chance(50)) {
      return std::string(fixed.at(between<std::size_t>(0, fixed.size() - 1)));
    }
    std::string letters(count(12), 'a');
    for (auto& letter : letters) {
      letter = static_cast<char>('a' + between(0U, 25U));
    }
    return letters;
  }

  std::vector<std::uint8_t> bytes(std::size_t most) {
    std::vector<std::uint8_t> result(count(most));
    for (auto& byte : result) {
      byte = static_cast<std::uint8_t>(between(0U, 255U));
    }
    return result;
  }

  template <class T>
  const T& pick(const std::vector<T>& values) {
    return values.at(between<std::size_t>(0, values.size() - 1));
  }

  template <class T>
  void shuffle(std::vector<T>& values) {
    std::ranges::shuffle(values, engine_);
  }

 private:
  std::mt19937_64 engine_;
};

// `count` distinct values of `draw.number<T>()` passed through `shape`.
template <std::unsigned_integral T, class Shape = std::identity>
std::vector<T> distinct(Draw& draw, std::size_t count, Shape shape = {}) {
  std::vector<T> values;
  std::set<T> seen;
  while (values.size() < count) {
    const T value = shape(draw.number<T>());
    if (seen.insert(value).second) {
      values.push_back(value);
    }
  }
  return values;
}

// Segments laid out upwards through the window, touching or with gaps, some
// of size 0, the last possibly ending exactly at the window's end; listed in
// random order.
std::vector<Segment> segments(Draw& draw) {
  std::vector<Segment> result;
  std::uint32_t cursor = TILE_MEMORY_BASE;
  const std::size_t count = draw.count(4);
  for (std::size_t i = 0; i < count; ++i) {
    if (draw.chance(50)) {
      cursor += draw.between(0U, std::min(0x1000U, TILE_MEMORY_END - cursor));
    }
    const std::uint32_t room = TILE_MEMORY_END - cursor;
    std::uint32_t memory_size = 0;
    if (draw.chance(15)) {
      memory_size = room;
    } else if (!draw.chance(15)) {
      memory_size = draw.between(0U, std::min(room, 0x100U));
    }
    result.push_back(Segment{.address = cursor,
                             .memory_size = memory_size,
                             .data = draw.bytes(std::min<std::size_t>(memory_size, 16)),
                             .flags = draw.number<std::uint32_t>()});
    cursor += memory_size;
  }
  draw.shuffle(result);
  return result;
}

ProfileStep profile_step(Draw& draw, std::uint32_t local_index) {
  ProfileStep step{
      .local_index = local_index,
      .phase = draw.number<std::uint32_t>(),
      .epoch = draw.number<std::uint32_t>(),
      .operation = draw.text(),
      .kind = static_cast<ProfileStepKind>(draw.between(0U, 3U)),
      .kernel = draw.text(),
      .metadata = {},
      .exchange_activities = {},
      .exchange_event_cycles = draw.number<std::uint32_t>(),
  };
  for (std::size_t i = draw.count(2); i > 0; --i) {
    step.metadata.push_back(ProfileMetadata{.name = draw.text(), .value = draw.text()});
  }
  for (std::size_t i = draw.count(2); i > 0; --i) {
    step.exchange_activities.push_back(
        ProfileExchangeActivity{.kind = static_cast<ExchangeActivityKind>(draw.between(0U, 2U)),
                                .start_cycle = draw.number<std::uint32_t>(),
                                .end_cycle = draw.number<std::uint32_t>()});
  }
  return step;
}

std::vector<TileProfilePlan> profile_plans(Draw& draw, std::vector<std::uint32_t> tile_ids) {
  std::vector<TileProfilePlan> plans;
  draw.shuffle(tile_ids);
  for (const auto tile : tile_ids) {
    if (!draw.chance(40)) {
      continue;
    }
    TileProfilePlan plan{.physical_tile = tile, .steps = {}};
    const auto steps = static_cast<std::uint32_t>(draw.count(3));
    for (std::uint32_t i = 0; i < steps; ++i) {
      plan.steps.push_back(profile_step(draw, i));
    }
    plans.push_back(std::move(plan));
  }
  return plans;
}

// Bindings with names unique across all calls: the letters of `text` never
// include the dot, so the number after the last dot tells names apart.
std::vector<Binding> bindings(Draw& draw, const std::vector<std::uint32_t>& tile_ids, std::size_t& named) {
  std::vector<Binding> result(draw.count(3));
  for (auto& binding : result) {
    binding.name = draw.text() + "." + std::to_string(named++);
    binding.dtype = draw.text();
    for (std::size_t i = draw.count(3); i > 0; --i) {
      binding.shape.push_back(draw.number<std::uint32_t>());
    }
    for (std::size_t i = draw.count(3); i > 0; --i) {
      const std::uint32_t size = draw.chance(10) ? TILE_MEMORY_SIZE : draw.between(0U, 0x400U);
      binding.slices.push_back(RegionSlice{.tile = draw.pick(tile_ids),
                                           .tile_address = draw.between(TILE_MEMORY_BASE, TILE_MEMORY_END - size),
                                           .file_offset = draw.number<std::uint64_t>(),
                                           .size = size});
    }
  }
  return result;
}

// Batch ends over `count` slices: rising, the last equal to `count`.
std::vector<std::uint32_t> batch_ends(Draw& draw, std::size_t count) {
  std::vector<std::uint32_t> ends;
  for (std::size_t end = 1; end < count; ++end) {
    if (draw.chance(40)) {
      ends.push_back(static_cast<std::uint32_t>(end));
    }
  }
  if (count > 0) {
    ends.push_back(static_cast<std::uint32_t>(count));
  }
  return ends;
}

std::vector<HostSlice> host_slices(Draw& draw, const std::vector<HostPage>& pages) {
  std::vector<HostSlice> slices(draw.count(4));
  for (auto& slice : slices) {
    const auto& page = draw.pick(pages);
    slice.page = page.index;
    slice.size = draw.chance(20) ? page.size : draw.between<std::uint64_t>(0, std::min<std::uint64_t>(page.size, 64));
    slice.page_offset = draw.between<std::uint64_t>(0, page.size - slice.size);
    slice.file_offset = draw.number<std::uint64_t>();
  }
  return slices;
}

HostExchange host_exchange(Draw& draw) {
  HostExchange host;
  host.startup_mark = draw.number<std::uint32_t>();
  host.command_page = draw.number<std::uint32_t>();
  host.command_offset = draw.number<std::uint64_t>();
  for (const auto index : distinct<std::uint32_t>(draw, draw.count(4))) {
    host.pages.push_back(HostPage{.index = index, .size = draw.number<std::uint64_t>()});
  }
  if (host.pages.empty()) {
    return host;
  }
  for (std::size_t i = draw.count(4); i > 0; --i) {
    host.attach_order.push_back(draw.pick(host.pages).index);
  }
  std::vector<HostPage> command_pages;
  std::ranges::copy_if(host.pages, std::back_inserter(command_pages), [](const HostPage& page) { return page.size >= 4; });
  if (command_pages.empty()) {
    return host;
  }
  const auto& command_page = draw.pick(command_pages);
  host.command_page = command_page.index;
  host.command_offset = draw.between<std::uint64_t>(0, command_page.size - 4);
  for (std::size_t i = draw.count(3); i > 0; --i) {
    HostCall call{
        .name = draw.text(),
        .command = draw.number<std::uint32_t>(),
        .phases = draw.number<std::uint32_t>(),
        .inputs = host_slices(draw, host.pages),
        .outputs = host_slices(draw, host.pages),
        .invocations = std::max(draw.number<std::uint32_t>(), 1U),
        .input_batch_ends = {},
        .output_batch_ends = {},
    };
    call.input_batch_ends = batch_ends(draw, call.inputs.size());
    call.output_batch_ends = batch_ends(draw, call.outputs.size());
    host.calls.push_back(std::move(call));
  }
  return host;
}

}  // namespace

Application random_application(std::uint64_t seed) {
  Draw draw(seed);
  Application application;
  application.compiler_version = draw.text();

  const auto tile_ids = distinct<std::uint32_t>(draw, draw.between<std::size_t>(1, 4));
  for (const auto tile : tile_ids) {
    application.tiles.push_back(TileImage{.physical_tile = tile,
                                          .entry_point = draw.number<std::uint32_t>(),
                                          .command_address = draw.number<std::uint32_t>(),
                                          .diagnostic_address = draw.number<std::uint32_t>(),
                                          .segments = segments(draw)});
  }

  std::size_t named = 0;
  application.inputs = bindings(draw, tile_ids, named);
  application.outputs = bindings(draw, tile_ids, named);
  application.weights = bindings(draw, tile_ids, named);
  application.host_exchange = host_exchange(draw);

  for (std::size_t i = draw.count(3); i > 0; --i) {
    application.entry_points.push_back(EntryPoint{.name = draw.text(),
                                                  .command = draw.number<std::uint32_t>(),
                                                  .external_syncs = draw.number<std::uint32_t>()});
  }
  const auto offsets = distinct<std::uint32_t>(draw, draw.count(4), [](std::uint32_t value) { return value & ~3U; });
  for (const auto offset : offsets) {
    application.device_config_writes.push_back(DeviceConfigWrite{.offset = offset, .value = draw.number<std::uint32_t>()});
  }
  application.profile_tiles = profile_plans(draw, tile_ids);

  for (std::size_t i = draw.count(3); i > 0; --i) {
    application.debug_symbols.push_back(DebugSymbol{.name = draw.text() + "s", .address = draw.number<std::uint32_t>()});
  }
  for (std::size_t i = draw.count(3); i > 0; --i) {
    const auto size = std::max(draw.number<std::uint32_t>(), 1U);
    application.debug_regions.push_back(
        DebugRegion{.physical_tile = draw.chance(30) ? NO_PHYSICAL_TILE : draw.pick(tile_ids),
                    .address = draw.chance(20) ? std::numeric_limits<std::uint32_t>::max() - size
                                               : draw.between(0U, std::numeric_limits<std::uint32_t>::max() - size),
                    .size = size,
                    .name = draw.text() + "r"});
  }
  return application;
}

}  // namespace zor::test_support
