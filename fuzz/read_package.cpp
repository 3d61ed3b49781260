// Reads the input as a package. Reading returns a value or an error whatever
// the input; an application it returns is loadable: it validates, writes and
// reads back equal, every tile image comes back with each segment's bytes in
// place, and a profile report over arbitrary output bytes returns a report
// that itself writes and reads back equal, or an error.
#include "fuzz_target.hpp"

#include <zor/package/debug_text.hpp>

#include <fmt/format.h>

#include <algorithm>
#include <span>

namespace {

void require_tile_image(const zor::Application& application, const zor::TileImage& tile) {
  auto image = application.tile_image(tile.physical_tile);
  if (tile.segments.empty()) {
    if (image) {
      zor::fuzz::property_failed("a tile without segments has no image", fmt::format("{}", tile));
    }
    return;
  }
  if (!image) {
    zor::fuzz::property_failed("every tile with segments has an image", fmt::format("{}\n{}", image.error(), tile));
  }
  const auto base = std::ranges::min(tile.segments, {}, &zor::Segment::address).address;
  std::size_t size = 0;
  for (const auto& segment : tile.segments) {
    size = std::max<std::size_t>(size, segment.address - base + segment.memory_size);
  }
  if (image->size() != size) {
    zor::fuzz::property_failed("a tile image spans its segments",
                               fmt::format("{} bytes instead of {} for {}", image->size(), size, tile));
  }
  for (const auto& segment : tile.segments) {
    const auto placed = std::span(*image).subspan(segment.address - base, segment.data.size());
    if (!std::ranges::equal(placed, segment.data)) {
      zor::fuzz::property_failed("a tile image holds each segment's data at its address", fmt::format("{}", tile));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  const auto application = zor::Application::read(input);
  if (!application) {
    return 0;
  }
  if (auto valid = application->validate(); !valid) {
    zor::fuzz::property_failed("a package read validates", fmt::format("{}\n{}", valid.error(), *application));
  }
  zor::fuzz::require_round_trip(*application, "a package read");
  for (const auto& tile : application->tiles) {
    require_tile_image(*application, tile);
  }
  constexpr std::uint64_t clock_hz = 1'500'000'000;
  if (const auto report = application->profile_report(input, clock_hz)) {
    zor::fuzz::require_round_trip(*report, "a profile report of a package read");
  }
  return 0;
}
