#include <zor/package/debug_text.hpp>
#include <zor/package/model.hpp>

#include "support/capture_sink.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace zor {
namespace {

using test_support::CapturedEvent;
using test_support::ScopedCapture;

using Bytes = std::vector<std::uint8_t>;

Segment segment(std::uint32_t address, std::uint32_t memory_size, Bytes data) {
  return Segment{.address = address, .memory_size = memory_size, .data = std::move(data), .flags = 0};
}

TileImage tile(std::uint32_t physical_tile, std::vector<Segment> segments) {
  return TileImage{.physical_tile = physical_tile,
                   .entry_point = TILE_MEMORY_BASE,
                   .command_address = 0,
                   .diagnostic_address = 0,
                   .segments = std::move(segments)};
}

Application with_tiles(std::vector<TileImage> tiles) {
  Application application;
  application.tiles = std::move(tiles);
  return application;
}

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes result;
  for (const Bytes& part : parts) {
    result.insert(result.end(), part.begin(), part.end());
  }
  return result;
}

struct ImageCase {
  std::string name;
  std::vector<TileImage> tiles;
  std::uint32_t requested;
  Bytes image;
  std::string load_base;
};

TEST(TileImage, RebuildsTheImageAndLogsItsPlacement) {
  const Bytes data8{1, 2, 3, 4, 5, 6, 7, 8};
  const std::vector<ImageCase> cases{
      {"data followed by zeroed rest",
       {tile(0, {segment(0x4c000, 16, {1, 2, 3, 4})})},
       0,
       concat({{1, 2, 3, 4}, Bytes(12, 0)}),
       "0x4c000"},
      {"gap between segments stays zero",
       {tile(0, {segment(0x4c000, 8, data8), segment(0x4c010, 4, {9, 10})})},
       0,
       concat({data8, Bytes(8, 0), {9, 10, 0, 0}}),
       "0x4c000"},
      {"list order does not matter",
       {tile(0, {segment(0x4c010, 4, {9, 10}), segment(0x4c000, 8, data8)})},
       0,
       concat({data8, Bytes(8, 0), {9, 10, 0, 0}}),
       "0x4c000"},
      {"a lone empty segment gives an empty image", {tile(0, {segment(0x4c000, 0, {})})}, 0, {}, "0x4c000"},
      {"an empty segment still sets the load base",
       {tile(0, {segment(0x4c000, 0, {}), segment(0x50000, 16, {7})})},
       0,
       concat({Bytes(0x4000, 0), {7}, Bytes(15, 0)}),
       "0x4c000"},
      {"the requested tile among others",
       {tile(0, {segment(0x4c000, 4, {1})}), tile(5, {segment(0x60000, 2, {5, 6})})},
       5,
       {5, 6},
       "0x60000"},
      {"the first of two tiles with one number",
       {tile(2, {segment(0x4c000, 2, {1, 1})}), tile(2, {segment(0x4c000, 2, {2, 2})})},
       2,
       {1, 1},
       "0x4c000"},
      {"a segment ending at the top of the address space",
       {tile(0, {segment(0xffffffef, 0x10, {0xaa})})},
       0,
       concat({{0xaa}, Bytes(15, 0)}),
       "0xffffffef"},
      {"an image as large as tile memory",
       {tile(0, {segment(TILE_MEMORY_BASE, TILE_MEMORY_SIZE, {3})})},
       0,
       concat({{3}, Bytes(TILE_MEMORY_SIZE - 1, 0)}),
       "0x4c000"},
  };
  for (const ImageCase& c : cases) {
    SCOPED_TRACE(c.name);
    const ScopedCapture capture;
    const auto image = with_tiles(c.tiles).tile_image(c.requested);
    ASSERT_TRUE(image.has_value()) << image.error();
    EXPECT_EQ(*image, c.image);
    const std::vector<CapturedEvent> expected{{log::Level::Trace,
                                               "zor_package",
                                               "reconstructing tile image",
                                               {{"physical_tile", std::to_string(c.requested)},
                                                {"load_base", c.load_base},
                                                {"image_bytes", std::to_string(c.image.size())}}}};
    EXPECT_EQ(capture.sink().events(), expected);
  }
}

struct RejectCase {
  std::string name;
  std::vector<TileImage> tiles;
  std::uint32_t requested;
  std::string message;
};

// Applications that were never validated must be refused, not read or
// written out of bounds; nothing is logged for a refused tile.
TEST(TileImage, RefusesUnknownEmptyAndBrokenTiles) {
  const std::vector<RejectCase> cases{
      {"unknown tile", {tile(0, {segment(0x4c000, 4, {})})}, 7, "unknown tile 7"},
      {"no segments", {tile(0, {})}, 0, "tile has no loadable segments"},
      {"segment end wraps",
       {tile(3, {segment(0x4c000, 4, {}), segment(0xfffffff0, 0x10, {})})},
       3,
       "segment at 0xfffffff0 on tile 3 ends beyond 32-bit addresses"},
      {"more data than memory",
       {tile(3, {segment(0x4c000, 2, {1, 2, 3})})},
       3,
       "segment at 0x4c000 on tile 3 holds more data than memory"},
      {"one byte more than tile memory",
       {tile(1, {segment(TILE_MEMORY_BASE, 0, {}), segment(TILE_MEMORY_END, 1, {})})},
       1,
       "image of tile 1 spans 638977 bytes, more than tile memory"},
      {"segments at both ends of the address space",
       {tile(0, {segment(0, 1, {1}), segment(0xfffffff0, 0xf, {2})})},
       0,
       "image of tile 0 spans 4294967295 bytes, more than tile memory"},
  };
  for (const RejectCase& c : cases) {
    SCOPED_TRACE(c.name);
    const ScopedCapture capture;
    const auto image = with_tiles(c.tiles).tile_image(c.requested);
    ASSERT_FALSE(image.has_value());
    ASSERT_NE(image.error().invalid_message(), nullptr) << image.error();
    EXPECT_EQ(*image.error().invalid_message(), c.message);
    EXPECT_TRUE(capture.sink().events().empty());
  }
}

}  // namespace
}  // namespace zor
