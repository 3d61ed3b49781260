// Uses the installed library the way an outside program would: writes a
// package, reads it back and compares.
#include <zor/package/package.hpp>

#include <cstdint>
#include <cstdio>
#include <vector>

int main() {
  zor::Application application;
  application.tiles.push_back(zor::TileImage{
      .physical_tile = 0,
      .entry_point = zor::TILE_MEMORY_BASE,
      .command_address = zor::TILE_MEMORY_BASE,
      .diagnostic_address = zor::TILE_MEMORY_BASE,
      .segments = {zor::Segment{.address = zor::TILE_MEMORY_BASE, .memory_size = 4, .data = {1, 2}, .flags = 0}},
  });
  std::vector<std::uint8_t> package;
  if (const auto written = application.write(package); !written) {
    std::printf("consumer: write failed: %s\n", written.error().description().c_str());
    return 1;
  }
  const auto read = zor::Application::read(package);
  if (!read) {
    std::printf("consumer: read failed: %s\n", read.error().description().c_str());
    return 1;
  }
  if (*read != application) {
    std::puts("consumer: the package read back differs");
    return 1;
  }
  std::puts("consumer: ok");
  return 0;
}
