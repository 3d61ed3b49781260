// ProfileReport::write and ProfileReport::read: a profile report as one
// framed message.
#include "message_input.hpp"
#include "message_limits.hpp"
#include "message_output.hpp"
#include "profile_step.hpp"

#include <zor/package/model.hpp>

#include "profile.capnp.h"

#include <fmt/format.h>

namespace zor {
namespace {

Result<void> check_sizes(const ProfileReport& report) {
  SizeCheck check;
  check.structs<schema::TileProfile>(report.tiles);
  for (const auto& tile : report.tiles) {
    check.structs<schema::CycleSample>(tile.samples);
    for (const auto& sample : tile.samples) {
      check_step_sizes(check, sample.step);
    }
  }
  return std::move(check).result();
}

void write_sample(schema::CycleSample::Builder output, const CycleSample& sample) {
  output.setStartCycle(sample.start_cycle);
  output.setEndCycle(sample.end_cycle);
  write_profile_step(output.initStep(), sample.step);
}

void write_tile(schema::TileProfile::Builder output, const TileProfile& tile) {
  output.setPhysicalTile(tile.physical_tile);
  write_each(output.initSamples(stored_length(tile.samples.size())), tile.samples, write_sample);
}

// The order of the calls is the order in which the message allocates its
// objects, so it fixes the bytes.
void build_report(schema::Profile::Builder root, const ProfileReport& report) {
  root.setSchemaVersion(PROFILE_SCHEMA_VERSION);
  root.setClockHz(report.clock_hz);
  write_each(root.initTiles(stored_length(report.tiles.size())), report.tiles, write_tile);
}

Result<CycleSample> read_sample(schema::CycleSample::Reader input) {
  auto step = read_profile_step(input.getStep());
  if (!step) {
    return std::unexpected(std::move(step.error()));
  }
  return CycleSample{.step = std::move(*step), .start_cycle = input.getStartCycle(), .end_cycle = input.getEndCycle()};
}

Result<TileProfile> read_tile(schema::TileProfile::Reader input) {
  auto samples = read_each(input.getSamples(), read_sample);
  if (!samples) {
    return std::unexpected(std::move(samples.error()));
  }
  return TileProfile{.physical_tile = input.getPhysicalTile(), .samples = std::move(*samples)};
}

Result<ProfileReport> read_report(schema::Profile::Reader root) {
  const std::uint32_t version = root.getSchemaVersion();
  if (version < 1 || version > PROFILE_SCHEMA_VERSION) {
    return std::unexpected(PackageError::invalid(fmt::format("unsupported profile schema version {}", version)));
  }
  auto tiles = read_each(root.getTiles(), read_tile);
  if (!tiles) {
    return std::unexpected(std::move(tiles.error()));
  }
  return ProfileReport{.clock_hz = root.getClockHz(), .tiles = std::move(*tiles)};
}

}  // namespace

Result<void> ProfileReport::write(kj::OutputStream& output) const {
  if (auto storable = check_sizes(*this); !storable) {
    return storable;
  }
  return write_message<schema::Profile>(output,
                                        [&](schema::Profile::Builder root) { build_report(root, *this); });
}

Result<void> ProfileReport::write(std::vector<std::uint8_t>& output) const { return append_message(output, *this); }

Result<ProfileReport> ProfileReport::read(std::span<const std::uint8_t> input) {
  return read_message<schema::Profile>(input, read_report);
}

}  // namespace zor
