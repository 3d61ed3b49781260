// Rebuilding the initial memory image of one tile from its segments.
#include <zor/package/log.hpp>
#include <zor/package/model.hpp>

#include "input_checks.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <fmt/format.h>

namespace zor {
namespace {

// The image is normally built from a validated application, but it must stay
// inside its own bounds for any input: a segment whose end wraps, or whose
// data is longer than the memory it occupies, would make the copy below leave
// the image. Returns why the first such segment is refused, if there is one.
std::optional<std::string> out_of_bounds_segment(const TileImage& tile) {
  for (const Segment& segment : tile.segments) {
    if (!range_end(segment.address, segment.memory_size)) {
      return fmt::format("segment at 0x{:x} on tile {} ends beyond 32-bit addresses", segment.address,
                         tile.physical_tile);
    }
    if (segment.data.size() > segment.memory_size) {
      return fmt::format("segment at 0x{:x} on tile {} holds more data than memory", segment.address,
                         tile.physical_tile);
    }
  }
  return std::nullopt;
}

void log_reconstruction(std::uint32_t physical_tile, std::uint32_t load_base, std::size_t image_size) {
  if (!log::enabled()) {
    return;
  }
  const std::string load_base_text = fmt::format("0x{:x}", load_base);
  log::emit(log::Level::Trace, "reconstructing tile image",
            std::array{log::Field{"physical_tile", std::uint64_t{physical_tile}},
                       log::Field{"load_base", std::string_view(load_base_text)},
                       log::Field{"image_bytes", std::uint64_t{image_size}}});
}

}  // namespace

Result<std::vector<std::uint8_t>> Application::tile_image(std::uint32_t physical_tile) const {
  const auto tile = std::ranges::find(tiles, physical_tile, &TileImage::physical_tile);
  if (tile == tiles.end()) {
    return invalid(fmt::format("unknown tile {}", physical_tile));
  }
  if (tile->segments.empty()) {
    return invalid("tile has no loadable segments");
  }
  if (auto refusal = out_of_bounds_segment(*tile)) {
    return invalid(std::move(*refusal));
  }

  const std::uint32_t load_base = std::ranges::min_element(tile->segments, {}, &Segment::address)->address;
  std::uint32_t image_length = 0;
  for (const Segment& segment : tile->segments) {
    image_length = std::max(image_length, segment.address - load_base + segment.memory_size);
  }
  // Every image of a valid application lies in the tile memory window. A
  // larger one cannot be loaded onto any tile, and refusing it keeps a broken
  // application from demanding an allocation of up to 4 GiB.
  if (image_length > TILE_MEMORY_SIZE) {
    return invalid(fmt::format("image of tile {} spans {} bytes, more than tile memory", physical_tile, image_length));
  }
  const std::size_t image_size = image_length;

  std::vector<std::uint8_t> image(image_size);
  log_reconstruction(physical_tile, load_base, image_size);
  for (const Segment& segment : tile->segments) {
    const std::size_t destination = segment.address - load_base;
    std::ranges::copy(segment.data, image.data() + destination);
  }
  return image;
}

}  // namespace zor
