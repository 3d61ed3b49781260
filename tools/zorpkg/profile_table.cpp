#include "profile_table.hpp"

#include <zor/package/fields.hpp>
#include "profile_time.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <vector>

namespace zorpkg {
namespace {

enum class Align : std::uint8_t { Left, Right };

template <std::size_t Columns>
struct Table {
  std::array<std::string, Columns> header;
  std::array<Align, Columns> align;
  std::vector<std::array<std::string, Columns>> rows;

  void render_to(std::string& out) const {
    std::array<std::size_t, Columns> width{};
    for (std::size_t column = 0; column < Columns; ++column) {
      width[column] = header[column].size();
      for (const auto& row : rows) {
        width[column] = std::max(width[column], row[column].size());
      }
    }
    const auto render_row = [&](const std::array<std::string, Columns>& row) {
      std::string line;
      for (std::size_t column = 0; column < Columns; ++column) {
        if (column > 0) {
          line += "  ";
        }
        line += align[column] == Align::Left ? fmt::format("{:<{}}", row[column], width[column])
                                             : fmt::format("{:>{}}", row[column], width[column]);
      }
      line.erase(line.find_last_not_of(' ') + 1);
      out += line + '\n';
    };
    render_row(header);
    for (const auto& row : rows) {
      render_row(row);
    }
  }
};

std::string microseconds(std::uint64_t cycles, std::uint64_t clock_hz) {
  if (clock_hz == 0) {
    return "-";
  }
  return fmt::format("{:.3f}", cycles_to_microseconds(cycles, clock_hz));
}

// Indices of the tile's longest samples, longest first; equal lengths keep
// plan order.
std::vector<std::size_t> longest_samples(const zor::TileProfile& tile) {
  std::vector<std::size_t> order(tile.samples.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  const auto shown = std::min(order.size(), LONGEST_STEPS_SHOWN);
  std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(shown), order.end(),
                    [&](std::size_t a, std::size_t b) {
                      const auto cycles_a = sample_cycles(tile.samples[a]);
                      const auto cycles_b = sample_cycles(tile.samples[b]);
                      return cycles_a != cycles_b ? cycles_a > cycles_b : a < b;
                    });
  order.resize(shown);
  return order;
}

}  // namespace

std::string profile_tables(const zor::ProfileReport& report) {
  const auto clock_hz = report.clock_hz;
  Table<4> tiles{.header = {"tile", "steps", "cycles", "time (us)"},
                 .align = {Align::Right, Align::Right, Align::Right, Align::Right},
                 .rows = {}};
  Table<7> longest{.header = {"tile", "step", "kind", "operation", "kernel", "cycles", "time (us)"},
                   .align = {Align::Right, Align::Right, Align::Left, Align::Left, Align::Left, Align::Right,
                             Align::Right},
                   .rows = {}};
  for (const auto& tile : report.tiles) {
    std::uint64_t total = 0;
    for (const auto& sample : tile.samples) {
      total += sample_cycles(sample);
    }
    tiles.rows.push_back({std::to_string(tile.physical_tile), std::to_string(tile.samples.size()),
                          std::to_string(total), microseconds(total, clock_hz)});
    for (const std::size_t index : longest_samples(tile)) {
      const auto& sample = tile.samples[index];
      const auto cycles = sample_cycles(sample);
      longest.rows.push_back({std::to_string(tile.physical_tile), std::to_string(sample.step.local_index),
                              std::string(zor::fields::enumerator_name(sample.step.kind)), sample.step.operation,
                              sample.step.kernel, std::to_string(cycles), microseconds(cycles, clock_hz)});
    }
  }
  std::string out = fmt::format("clock: {} Hz\n", clock_hz);
  tiles.render_to(out);
  out += fmt::format("longest steps (up to {} per tile):\n", LONGEST_STEPS_SHOWN);
  longest.render_to(out);
  return out;
}

}  // namespace zorpkg
