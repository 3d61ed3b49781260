// Application::read: one framed message back into a validated application.
#include "message_input.hpp"
#include "profile_step.hpp"

#include <zor/package/log.hpp>
#include <zor/package/model.hpp>

#include "application.capnp.h"

#include <array>
#include <optional>

namespace zor {
namespace {

// Conversions of records without text cannot fail by value; a pointer the
// message layer cannot follow throws, and read_message reports it.

std::vector<std::uint32_t> read_numbers(capnp::List<std::uint32_t>::Reader input) {
  return read_each(input, [](std::uint32_t number) { return number; });
}

std::vector<std::uint8_t> read_data(capnp::Data::Reader input) { return {input.begin(), input.end()}; }

Segment read_segment(schema::Segment::Reader input) {
  return Segment{
      .address = input.getAddress(),
      .memory_size = input.getMemorySize(),
      .data = read_data(input.getData()),
      .flags = input.getFlags(),
  };
}

TileImage read_tile(schema::TileImage::Reader input) {
  return TileImage{
      .physical_tile = input.getPhysicalTile(),
      .entry_point = input.getEntryPoint(),
      .command_address = input.getCommandAddress(),
      .diagnostic_address = input.getDiagnosticAddress(),
      .segments = read_each(input.getSegments(), read_segment),
  };
}

std::vector<TileImage> read_tiles(capnp::List<schema::TileImage>::Reader input) {
  return read_each(input, read_tile);
}

RegionSlice read_region_slice(schema::RegionSlice::Reader input) {
  return RegionSlice{
      .tile = input.getTile(),
      .tile_address = input.getTileAddress(),
      .file_offset = input.getFileOffset(),
      .size = input.getSize(),
  };
}

Result<Binding> read_binding(schema::Binding::Reader input) {
  auto name = read_text(input.getName());
  if (!name) {
    return std::unexpected(std::move(name.error()));
  }
  auto dtype = read_text(input.getDtype());
  if (!dtype) {
    return std::unexpected(std::move(dtype.error()));
  }
  auto shape = read_numbers(input.getShape());
  return Binding{
      .name = std::move(*name),
      .dtype = std::move(*dtype),
      .shape = std::move(shape),
      .slices = read_each(input.getSlices(), read_region_slice),
  };
}

Result<std::vector<Binding>> read_bindings(capnp::List<schema::Binding>::Reader input) {
  return read_each(input, read_binding);
}

HostSlice read_host_slice(schema::HostSlice::Reader input) {
  return HostSlice{
      .page = input.getPage(),
      .page_offset = input.getPageOffset(),
      .file_offset = input.getFileOffset(),
      .size = input.getSize(),
  };
}

std::vector<HostSlice> read_host_slices(capnp::List<schema::HostSlice>::Reader input) {
  return read_each(input, read_host_slice);
}

Result<HostCall> read_host_call(schema::HostCall::Reader input) {
  auto name = read_text(input.getName());
  if (!name) {
    return std::unexpected(std::move(name.error()));
  }
  return HostCall{
      .name = std::move(*name),
      .command = input.getCommand(),
      .phases = input.getPhases(),
      .inputs = read_host_slices(input.getInputs()),
      .outputs = read_host_slices(input.getOutputs()),
      .invocations = input.getInvocations(),
      .input_batch_ends = read_numbers(input.getInputBatchEnds()),
      .output_batch_ends = read_numbers(input.getOutputBatchEnds()),
  };
}

Result<HostExchange> read_host_exchange(schema::HostExchange::Reader input) {
  HostExchange host{
      .startup_mark = input.getStartupMark(),
      .command_page = input.getCommandPage(),
      .command_offset = input.getCommandOffset(),
      .pages = read_each(input.getPages(),
                         [](schema::HostPage::Reader page) {
                           return HostPage{.index = page.getIndex(), .size = page.getSize()};
                         }),
      .attach_order = read_numbers(input.getAttachOrder()),
      .calls = {},
  };
  auto calls = read_each(input.getCalls(), read_host_call);
  if (!calls) {
    return std::unexpected(std::move(calls.error()));
  }
  host.calls = std::move(*calls);
  return host;
}

Result<EntryPoint> read_entry_point(schema::EntryPoint::Reader input) {
  auto name = read_text(input.getName());
  if (!name) {
    return std::unexpected(std::move(name.error()));
  }
  return EntryPoint{
      .name = std::move(*name), .command = input.getCommand(), .external_syncs = input.getExternalSyncs()};
}

DeviceConfigWrite read_device_config_write(schema::DeviceConfigWrite::Reader input) {
  return DeviceConfigWrite{.offset = input.getOffset(), .value = input.getValue()};
}

Result<TileProfilePlan> read_profile_plan(schema::TileProfilePlan::Reader input) {
  const std::uint32_t physical_tile = input.getPhysicalTile();
  auto steps = read_each(input.getSteps(), read_profile_step);
  if (!steps) {
    return std::unexpected(std::move(steps.error()));
  }
  return TileProfilePlan{.physical_tile = physical_tile, .steps = std::move(*steps)};
}

Result<std::vector<TileProfilePlan>> read_profile_tiles(capnp::List<schema::TileProfilePlan>::Reader input) {
  return read_each(input, read_profile_plan);
}

Result<DebugSymbol> read_debug_symbol(schema::DebugSymbol::Reader input) {
  auto name = read_text(input.getName());
  if (!name) {
    return std::unexpected(std::move(name.error()));
  }
  return DebugSymbol{.name = std::move(*name), .address = input.getAddress()};
}

Result<DebugRegion> read_debug_region(schema::DebugRegion::Reader input) {
  const std::uint32_t physical_tile = input.getPhysicalTile();
  const std::uint32_t address = input.getAddress();
  const std::uint32_t size = input.getSize();
  auto name = read_text(input.getName());
  if (!name) {
    return std::unexpected(std::move(name.error()));
  }
  return DebugRegion{.physical_tile = physical_tile, .address = address, .size = size, .name = std::move(*name)};
}

PackageError incompatible_header() { return PackageError::invalid("incompatible package header"); }

// The four header fields in their fixed order; `target` is decoded only once
// the schema version matches.
Result<void> check_header(schema::Application::Reader root) {
  if (root.getSchemaVersion() != PACKAGE_SCHEMA_VERSION) {
    return std::unexpected(incompatible_header());
  }
  auto target = read_text(root.getTarget());
  if (!target) {
    return std::unexpected(std::move(target.error()));
  }
  if (*target != PACKAGE_TARGET || root.getTileMemoryBase() != TILE_MEMORY_BASE ||
      root.getTileMemorySize() != TILE_MEMORY_SIZE) {
    return std::unexpected(incompatible_header());
  }
  return {};
}

// Stores converted fields one after another and keeps the first failure.
class FieldConversion {
 public:
  template <class Field>
  bool take(Field& field, Field value) {
    field = std::move(value);
    return true;
  }
  template <class Field>
  bool take(Field& field, Result<Field> converted) {
    if (!converted) {
      failure_.emplace(std::move(converted.error()));
      return false;
    }
    field = std::move(*converted);
    return true;
  }
  PackageError failure() && { return std::move(*failure_); }

 private:
  std::optional<PackageError> failure_;
};

Result<Application> read_application(schema::Application::Reader root) {
  if (auto header = check_header(root); !header) {
    return std::unexpected(std::move(header.error()));
  }
  Application application;
  FieldConversion fields;
  const bool converted =
      fields.take(application.compiler_version, read_text(root.getCompilerVersion())) &&
      fields.take(application.tiles, read_tiles(root.getTiles())) &&
      fields.take(application.inputs, read_bindings(root.getInputs())) &&
      fields.take(application.outputs, read_bindings(root.getOutputs())) &&
      fields.take(application.weights, read_bindings(root.getWeights())) &&
      fields.take(application.host_exchange, read_host_exchange(root.getHostExchange())) &&
      fields.take(application.entry_points, read_each(root.getEntryPoints(), read_entry_point)) &&
      fields.take(application.device_config_writes,
                  read_each(root.getDeviceConfigWrites(), read_device_config_write)) &&
      fields.take(application.profile_tiles, read_profile_tiles(root.getProfileTiles())) &&
      fields.take(application.debug_symbols, read_each(root.getDebugSymbols(), read_debug_symbol)) &&
      fields.take(application.debug_regions, read_each(root.getDebugRegions(), read_debug_region));
  if (!converted) {
    return std::unexpected(std::move(fields).failure());
  }
  return application;
}

}  // namespace

Result<Application> Application::read(std::span<const std::uint8_t> input) {
  log::emit(log::Level::Info, "reading application package");
  auto application = read_message<schema::Application>(input, read_application);
  if (!application) {
    return application;
  }
  if (auto valid = application->validate(); !valid) {
    return std::unexpected(std::move(valid.error()));
  }
  log::emit(log::Level::Info, "application package read",
            std::array<log::Field, 2>{{{"tiles", std::uint64_t{application->tiles.size()}},
                                       {"compiler", std::string_view(application->compiler_version)}}});
  return application;
}

}  // namespace zor
