#include "checks.hpp"

namespace zor::tests {

Application sample() {
  Application application;
  application.tiles.push_back(TileImage{
      .physical_tile = 0,
      .entry_point = 0x4c000,
      .command_address = 0x4c100,
      .diagnostic_address = 0x4c200,
      .segments = {Segment{.address = 0x4c000, .memory_size = 8, .data = {0x01, 0x02, 0x03, 0x04}, .flags = 5}},
  });
  return application;
}

}  // namespace zor::tests
