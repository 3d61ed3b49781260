// The rules that make an application a loadable package. They run in a fixed
// order and the first violation is returned, so a caller always sees the
// earliest fault in list order. Every end is computed with an overflow test:
// the values come from packages we did not write.
#include <zor/package/validate.hpp>

#include "input_checks.hpp"

#include <algorithm>
#include <compare>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <iterator>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include <fmt/format.h>

namespace zor {
namespace {

using TileIds = std::unordered_set<std::uint32_t>;
// Host page index to page size.
using PageSizes = std::unordered_map<std::uint32_t, std::uint64_t>;

// Whether [start, start + size) ends at or before `limit`; a range whose end
// does not fit lies beyond every limit.
bool ends_within(std::uint64_t start, std::uint64_t size, std::uint64_t limit) {
  const auto end = range_end(start, size);
  return end.has_value() && *end <= limit;
}

bool in_tile_memory_window(std::uint32_t start, std::uint32_t end) {
  return start >= TILE_MEMORY_BASE && end <= TILE_MEMORY_END;
}

Result<void> check_device_config_writes(std::span<const DeviceConfigWrite> writes) {
  std::unordered_set<std::uint32_t> config_offsets;
  for (const auto& write : writes) {
    const bool aligned = write.offset % 4 == 0;
    if (!aligned || !config_offsets.insert(write.offset).second) {
      return invalid("unaligned or duplicate device configuration write");
    }
  }
  return {};
}

struct Range {
  std::uint32_t start;
  std::uint32_t end;

  auto operator<=>(const Range&) const = default;
};

// After sorting by start (then end), any two overlapping ranges imply an
// overlapping pair of neighbours, so one pass over neighbours suffices.
Result<void> check_no_overlap(std::uint32_t physical_tile, std::vector<Range> ranges) {
  std::ranges::sort(ranges);
  const auto overlap =
      std::ranges::adjacent_find(ranges, [](const Range& a, const Range& b) { return a.end > b.start; });
  if (overlap == ranges.end()) {
    return {};
  }
  const Range& a = *overlap;
  const Range& b = *std::next(overlap);
  return invalid(fmt::format("overlapping segments on tile {}: 0x{:x}..0x{:x} and 0x{:x}..0x{:x}", physical_tile,
                             a.start, a.end, b.start, b.end));
}

Result<void> check_segments(const TileImage& tile) {
  // Segments that occupy no memory cannot overlap anything.
  std::vector<Range> occupied;
  for (const auto& segment : tile.segments) {
    const auto end = range_end(segment.address, segment.memory_size);
    if (!end) {
      return invalid("segment address overflow");
    }
    if (!in_tile_memory_window(segment.address, *end) || segment.data.size() > segment.memory_size) {
      return invalid(fmt::format("invalid segment on tile {}: address=0x{:x} end=0x{:x} memory_size={} data_size={}",
                                 tile.physical_tile, segment.address, *end, segment.memory_size, segment.data.size()));
    }
    if (segment.memory_size != 0) {
      occupied.push_back(Range{.start = segment.address, .end = *end});
    }
  }
  return check_no_overlap(tile.physical_tile, std::move(occupied));
}

// Each tile is checked completely before the next one, so a broken segment
// of an earlier tile is reported before a repeated number on a later tile.
Result<void> check_tiles(std::span<const TileImage> tiles) {
  TileIds seen;
  for (const auto& tile : tiles) {
    if (!seen.insert(tile.physical_tile).second) {
      return invalid(fmt::format("duplicate physical tile {}", tile.physical_tile));
    }
    if (auto checked = check_segments(tile); !checked) {
      return checked;
    }
  }
  return {};
}

bool steps_are_numbered_in_order(std::span<const ProfileStep> steps) {
  for (std::size_t position = 0; position < steps.size(); ++position) {
    if (steps[position].local_index != position) {
      return false;
    }
  }
  return true;
}

Result<void> check_profile_plans(std::span<const TileProfilePlan> plans, const TileIds& tile_ids) {
  TileIds profile_tile_ids;
  for (const auto& plan : plans) {
    if (!tile_ids.contains(plan.physical_tile) || !profile_tile_ids.insert(plan.physical_tile).second ||
        !steps_are_numbered_in_order(plan.steps)) {
      return invalid("invalid tile profile plan");
    }
  }
  return {};
}

bool debug_region_is_valid(const DebugRegion& region, const TileIds& tile_ids) {
  return !region.name.empty() && region.size != 0 && range_end(region.address, region.size).has_value() &&
         (region.physical_tile == NO_PHYSICAL_TILE || tile_ids.contains(region.physical_tile));
}

Result<void> check_debug_map(const Application& application, const TileIds& tile_ids) {
  const auto symbol_named = [](const DebugSymbol& symbol) { return !symbol.name.empty(); };
  const auto region_valid = [&](const DebugRegion& region) { return debug_region_is_valid(region, tile_ids); };
  if (!std::ranges::all_of(application.debug_symbols, symbol_named) ||
      !std::ranges::all_of(application.debug_regions, region_valid)) {
    return invalid("invalid package debug map");
  }
  return {};
}

Result<void> check_binding_slices(const Binding& binding, const TileIds& tile_ids) {
  for (const auto& slice : binding.slices) {
    if (slice.size > std::numeric_limits<std::uint32_t>::max()) {
      return invalid(fmt::format("binding {} slice is too large", binding.name));
    }
    const auto end = range_end(slice.tile_address, static_cast<std::uint32_t>(slice.size));
    if (!end) {
      return invalid("binding address overflow");
    }
    if (!tile_ids.contains(slice.tile) || !in_tile_memory_window(slice.tile_address, *end)) {
      return invalid(fmt::format("binding {} references invalid tile memory", binding.name));
    }
  }
  return {};
}

// Names are unique across inputs, outputs and weights together; each
// binding's slices are checked before the next binding's name.
Result<void> check_bindings(const Application& application, const TileIds& tile_ids) {
  std::unordered_set<std::string_view> binding_names;
  for (const auto* list : {&application.inputs, &application.outputs, &application.weights}) {
    for (const auto& binding : *list) {
      if (binding.name.empty() || !binding_names.insert(binding.name).second) {
        return invalid(fmt::format("empty or duplicate binding {}", binding.name));
      }
      if (auto checked = check_binding_slices(binding, tile_ids); !checked) {
        return checked;
      }
    }
  }
  return {};
}

Result<PageSizes> page_table(const HostExchange& exchange) {
  PageSizes pages;
  for (const auto& page : exchange.pages) {
    if (!pages.emplace(page.index, page.size).second) {
      return invalid("invalid host page table");
    }
  }
  const bool attach_order_known =
      std::ranges::all_of(exchange.attach_order, [&](std::uint32_t index) { return pages.contains(index); });
  if (!attach_order_known) {
    return invalid("invalid host page table");
  }
  return pages;
}

// The command word is only read when there are host calls to start.
Result<void> check_startup_slot(const HostExchange& exchange, const PageSizes& pages) {
  if (exchange.calls.empty()) {
    return {};
  }
  constexpr std::uint64_t command_word_size = 4;
  const auto page = pages.find(exchange.command_page);
  if (page == pages.end() || !ends_within(exchange.command_offset, command_word_size, page->second)) {
    return invalid("invalid host startup protocol");
  }
  return {};
}

Result<void> check_host_slices(const HostCall& call, std::span<const HostSlice> slices, const PageSizes& pages) {
  for (const auto& slice : slices) {
    const auto page = pages.find(slice.page);
    if (page == pages.end()) {
      return invalid(fmt::format("host call {} references missing page", call.name));
    }
    if (!ends_within(slice.page_offset, slice.size, page->second)) {
      return invalid(fmt::format("host call {} exceeds page bounds", call.name));
    }
  }
  return {};
}

Result<void> check_host_call(const HostCall& call, const PageSizes& pages) {
  if (call.invocations == 0) {
    return invalid(fmt::format("host call {} has no invocations", call.name));
  }
  if (auto checked = validate_host_batch_ends(call, "input", call.input_batch_ends, call.inputs.size()); !checked) {
    return checked;
  }
  if (auto checked = validate_host_batch_ends(call, "output", call.output_batch_ends, call.outputs.size()); !checked) {
    return checked;
  }
  if (auto checked = check_host_slices(call, call.inputs, pages); !checked) {
    return checked;
  }
  return check_host_slices(call, call.outputs, pages);
}

Result<void> check_host_exchange(const HostExchange& exchange) {
  auto pages = page_table(exchange);
  if (!pages) {
    return std::unexpected(std::move(pages.error()));
  }
  if (auto checked = check_startup_slot(exchange, *pages); !checked) {
    return checked;
  }
  for (const auto& call : exchange.calls) {
    if (auto checked = check_host_call(call, *pages); !checked) {
      return checked;
    }
  }
  return {};
}

TileIds tile_ids_of(std::span<const TileImage> tiles) {
  TileIds ids;
  for (const auto& tile : tiles) {
    ids.insert(tile.physical_tile);
  }
  return ids;
}

}  // namespace

Result<void> validate_host_batch_ends(const HostCall& call, std::string_view direction,
                                      std::span<const std::uint32_t> ends, std::size_t slice_count) {
  std::size_t previous = 0;
  for (const std::uint32_t end : ends) {
    if (end <= previous || end > slice_count) {
      return invalid(fmt::format("host call {} has invalid {} batch boundary {}", call.name, direction, end));
    }
    previous = end;
  }
  // No ends means no batches, never one implicit batch over every slice.
  if (previous != slice_count) {
    return invalid(
        fmt::format("host call {} {} batches cover {} of {} slices", call.name, direction, previous, slice_count));
  }
  return {};
}

Result<void> Application::validate() const {
  if (tiles.empty()) {
    return invalid("application has no tiles");
  }
  if (auto checked = check_device_config_writes(device_config_writes); !checked) {
    return checked;
  }
  if (auto checked = check_tiles(tiles); !checked) {
    return checked;
  }
  const TileIds tile_ids = tile_ids_of(tiles);
  if (auto checked = check_profile_plans(profile_tiles, tile_ids); !checked) {
    return checked;
  }
  if (auto checked = check_debug_map(*this, tile_ids); !checked) {
    return checked;
  }
  if (auto checked = check_bindings(*this, tile_ids); !checked) {
    return checked;
  }
  return check_host_exchange(host_exchange);
}

}  // namespace zor
