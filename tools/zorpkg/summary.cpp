#include "summary.hpp"

#include <zor/package/profile.hpp>

#include <fmt/format.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>
#include <string_view>

namespace zorpkg {
namespace {

struct SegmentTotals {
  std::size_t count = 0;
  std::uint64_t memory_bytes = 0;
  std::uint64_t data_bytes = 0;
  // Widened so that an end past 4 GiB cannot wrap.
  std::uint64_t lowest_address = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t highest_end = 0;
};

SegmentTotals segment_totals(std::span<const zor::TileImage> tiles) {
  SegmentTotals totals;
  for (const auto& tile : tiles) {
    for (const auto& segment : tile.segments) {
      ++totals.count;
      totals.memory_bytes += segment.memory_size;
      totals.data_bytes += segment.data.size();
      totals.lowest_address = std::min<std::uint64_t>(totals.lowest_address, segment.address);
      totals.highest_end =
          std::max(totals.highest_end, std::uint64_t{segment.address} + std::uint64_t{segment.memory_size});
    }
  }
  return totals;
}

void append_bindings(std::string& out, std::string_view kind, std::span<const zor::Binding> bindings) {
  out += fmt::format("{}: {}\n", kind, bindings.size());
  for (const auto& binding : bindings) {
    out += fmt::format("  {}: {} bytes\n", binding.name, zor::binding_size(binding));
  }
}

}  // namespace

std::string application_summary(const zor::Application& application) {
  std::string out = fmt::format("compiler version: {}\n", application.compiler_version);

  const auto segments = segment_totals(application.tiles);
  out += fmt::format("tiles: {}\n", application.tiles.size());
  out += fmt::format("  segments: {}, {} bytes in memory, {} bytes of data\n", segments.count,
                     segments.memory_bytes, segments.data_bytes);
  if (segments.count == 0) {
    out += "  address range: none\n";
  } else {
    out += fmt::format("  address range: {:#x}..{:#x}\n", segments.lowest_address, segments.highest_end);
  }

  append_bindings(out, "inputs", application.inputs);
  append_bindings(out, "outputs", application.outputs);
  append_bindings(out, "weights", application.weights);

  const auto& exchange = application.host_exchange;
  std::uint64_t page_bytes = 0;
  for (const auto& page : exchange.pages) {
    // Saturates rather than wraps: page sizes come from the package.
    page_bytes = page.size > std::numeric_limits<std::uint64_t>::max() - page_bytes
                     ? std::numeric_limits<std::uint64_t>::max()
                     : page_bytes + page.size;
  }
  out += fmt::format("host pages: {}, {} bytes\n", exchange.pages.size(), page_bytes);
  out += fmt::format("host calls: {}\n", exchange.calls.size());

  out += fmt::format("entry points: {}\n", application.entry_points.size());
  out += fmt::format("config writes: {}\n", application.device_config_writes.size());

  std::size_t steps = 0;
  for (const auto& plan : application.profile_tiles) {
    steps += plan.steps.size();
  }
  out += fmt::format("profiled tiles: {}, {} steps\n", application.profile_tiles.size(), steps);
  out += fmt::format("debug symbols: {}\n", application.debug_symbols.size());
  out += fmt::format("debug regions: {}\n", application.debug_regions.size());
  return out;
}

}  // namespace zorpkg
