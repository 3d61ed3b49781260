// The in-memory model of an application package and of a cycle-profile
// report. Every record is a plain value that owns everything it holds.
#pragma once

#include <zor/package/error.hpp>

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kj {
class OutputStream;
}

namespace zor {

// Header values of every package. They are constants of the format, not
// fields of the model.
inline constexpr std::uint32_t PACKAGE_SCHEMA_VERSION = 5;
inline constexpr std::string_view PACKAGE_TARGET = "zor21";
// The tile memory window: segments and binding slices lie in
// [TILE_MEMORY_BASE, TILE_MEMORY_END).
inline constexpr std::uint32_t TILE_MEMORY_BASE = 0x4c000;
inline constexpr std::uint32_t TILE_MEMORY_SIZE = 0x9c000;
inline constexpr std::uint32_t TILE_MEMORY_END = TILE_MEMORY_BASE + TILE_MEMORY_SIZE;
// Schema version written into profile report files; versions 1 to this one
// are read.
inline constexpr std::uint32_t PROFILE_SCHEMA_VERSION = 5;
// A debug region with this tile number belongs to no single tile.
inline constexpr std::uint32_t NO_PHYSICAL_TILE = 0xffffffff;

enum class ProfileStepKind : std::uint16_t { Exchange = 0, Compute = 1, Synchronization = 2, Idle = 3 };

enum class ExchangeActivityKind : std::uint16_t { Send = 0, Receive = 1, PartnerBusy = 2 };

struct Segment {
  std::uint32_t address;
  std::uint32_t memory_size;
  std::vector<std::uint8_t> data;
  std::uint32_t flags;

  bool operator==(const Segment&) const = default;
};

struct TileImage {
  std::uint32_t physical_tile;
  std::uint32_t entry_point;
  std::uint32_t command_address;
  std::uint32_t diagnostic_address;
  std::vector<Segment> segments;

  bool operator==(const TileImage&) const = default;
};

struct RegionSlice {
  std::uint32_t tile;
  std::uint32_t tile_address;
  std::uint64_t file_offset;
  std::uint64_t size;

  bool operator==(const RegionSlice&) const = default;
};

struct Binding {
  std::string name;
  std::string dtype;
  std::vector<std::uint32_t> shape;
  std::vector<RegionSlice> slices;

  bool operator==(const Binding&) const = default;
};

struct HostPage {
  std::uint32_t index;
  std::uint64_t size;

  bool operator==(const HostPage&) const = default;
};

struct HostSlice {
  std::uint32_t page;
  std::uint64_t page_offset;
  std::uint64_t file_offset;
  std::uint64_t size;

  bool operator==(const HostSlice&) const = default;
};

struct HostCall {
  std::string name;
  std::uint32_t command;
  std::uint32_t phases;
  std::vector<HostSlice> inputs;
  std::vector<HostSlice> outputs;
  std::uint32_t invocations;
  std::vector<std::uint32_t> input_batch_ends;
  std::vector<std::uint32_t> output_batch_ends;

  bool operator==(const HostCall&) const = default;
};

struct HostExchange {
  std::uint32_t startup_mark = 0;
  std::uint32_t command_page = 0;
  std::uint64_t command_offset = 0;
  std::vector<HostPage> pages;
  std::vector<std::uint32_t> attach_order;
  std::vector<HostCall> calls;

  bool operator==(const HostExchange&) const = default;
};

struct EntryPoint {
  std::string name;
  std::uint32_t command;
  std::uint32_t external_syncs;

  bool operator==(const EntryPoint&) const = default;
};

struct DeviceConfigWrite {
  std::uint32_t offset;
  std::uint32_t value;

  bool operator==(const DeviceConfigWrite&) const = default;
};

struct ProfileMetadata {
  std::string name;
  std::string value;

  bool operator==(const ProfileMetadata&) const = default;
};

struct ProfileExchangeActivity {
  ExchangeActivityKind kind;
  std::uint32_t start_cycle;
  std::uint32_t end_cycle;

  bool operator==(const ProfileExchangeActivity&) const = default;
};

struct ProfileStep {
  std::uint32_t local_index;
  std::uint32_t phase;
  std::uint32_t epoch;
  std::string operation;
  ProfileStepKind kind;
  std::string kernel;
  std::vector<ProfileMetadata> metadata;
  std::vector<ProfileExchangeActivity> exchange_activities;
  std::uint32_t exchange_event_cycles;

  bool operator==(const ProfileStep&) const = default;
};

struct TileProfilePlan {
  std::uint32_t physical_tile;
  std::vector<ProfileStep> steps;

  bool operator==(const TileProfilePlan&) const = default;
};

struct DebugSymbol {
  std::string name;
  std::uint32_t address;

  bool operator==(const DebugSymbol&) const = default;
};

struct DebugRegion {
  std::uint32_t physical_tile;
  std::uint32_t address;
  std::uint32_t size;
  std::string name;

  bool operator==(const DebugRegion&) const = default;
};

struct CycleSample {
  ProfileStep step;
  std::uint32_t start_cycle;
  std::uint32_t end_cycle;

  bool operator==(const CycleSample&) const = default;
};

struct TileProfile {
  std::uint32_t physical_tile;
  std::vector<CycleSample> samples;

  bool operator==(const TileProfile&) const = default;
};

// The cycle profile of one run.
struct ProfileReport {
  std::uint64_t clock_hz;
  std::vector<TileProfile> tiles;

  // Appends a profile report file (one framed message) to `output`.
  [[nodiscard]] Result<void> write(kj::OutputStream& output) const;
  [[nodiscard]] Result<void> write(std::vector<std::uint8_t>& output) const;

  // Reads the profile report file at the start of `input`; bytes after the
  // message are ignored.
  [[nodiscard]] static Result<ProfileReport> read(std::span<const std::uint8_t> input);

  bool operator==(const ProfileReport&) const = default;
};

// The root record of an application package.
struct Application {
  std::string compiler_version = "0.1.0";
  std::vector<TileImage> tiles;
  std::vector<Binding> inputs;
  std::vector<Binding> outputs;
  std::vector<Binding> weights;
  HostExchange host_exchange;
  std::vector<EntryPoint> entry_points;
  std::vector<DeviceConfigWrite> device_config_writes;
  std::vector<TileProfilePlan> profile_tiles;
  std::vector<DebugSymbol> debug_symbols;
  std::vector<DebugRegion> debug_regions;

  // Applies every package rule in order and returns the first violation.
  [[nodiscard]] Result<void> validate() const;

  // Validates, then appends the package (one framed message) to `output`.
  [[nodiscard]] Result<void> write(kj::OutputStream& output) const;
  [[nodiscard]] Result<void> write(std::vector<std::uint8_t>& output) const;

  // Reads and validates the package at the start of `input`; bytes after the
  // message are ignored.
  [[nodiscard]] static Result<Application> read(std::span<const std::uint8_t> input);

  // The initial memory image of one tile, starting at its lowest segment
  // address.
  [[nodiscard]] Result<std::vector<std::uint8_t>> tile_image(std::uint32_t physical_tile) const;

  // Derives the cycle profile of a run from the run's output buffer.
  [[nodiscard]] Result<ProfileReport> profile_report(std::span<const std::uint8_t> output,
                                                     std::uint64_t clock_hz) const;

  bool operator==(const Application&) const = default;
};

}  // namespace zor
