// Application::write: a validated application as one framed message.
#include "message_limits.hpp"
#include "message_output.hpp"
#include "profile_step.hpp"

#include <zor/package/log.hpp>
#include <zor/package/model.hpp>

#include "application.capnp.h"

namespace zor {
namespace {

kj::ArrayPtr<const kj::byte> as_data(const std::vector<std::uint8_t>& bytes) noexcept {
  return {bytes.data(), bytes.size()};
}

void write_numbers(capnp::List<std::uint32_t>::Builder output, const std::vector<std::uint32_t>& numbers) {
  for (unsigned index = 0; index < output.size(); ++index) {
    output.set(index, numbers[index]);
  }
}

void write_tiles(capnp::List<schema::TileImage>::Builder output, const std::vector<TileImage>& tiles) {
  for (unsigned index = 0; index < output.size(); ++index) {
    const auto& tile = tiles[index];
    auto element = output[index];
    element.setPhysicalTile(tile.physical_tile);
    element.setEntryPoint(tile.entry_point);
    element.setCommandAddress(tile.command_address);
    element.setDiagnosticAddress(tile.diagnostic_address);
    auto segments = element.initSegments(stored_length(tile.segments.size()));
    for (unsigned segment_index = 0; segment_index < segments.size(); ++segment_index) {
      const auto& segment = tile.segments[segment_index];
      auto stored = segments[segment_index];
      stored.setAddress(segment.address);
      stored.setMemorySize(segment.memory_size);
      stored.setData(as_data(segment.data));
      stored.setFlags(segment.flags);
    }
  }
}

void write_bindings(capnp::List<schema::Binding>::Builder output, const std::vector<Binding>& bindings) {
  for (unsigned index = 0; index < output.size(); ++index) {
    const auto& binding = bindings[index];
    auto element = output[index];
    element.setName(as_text(binding.name));
    element.setDtype(as_text(binding.dtype));
    write_numbers(element.initShape(stored_length(binding.shape.size())), binding.shape);
    auto slices = element.initSlices(stored_length(binding.slices.size()));
    for (unsigned slice_index = 0; slice_index < slices.size(); ++slice_index) {
      const auto& slice = binding.slices[slice_index];
      auto stored = slices[slice_index];
      stored.setTile(slice.tile);
      stored.setTileAddress(slice.tile_address);
      stored.setFileOffset(slice.file_offset);
      stored.setSize(slice.size);
    }
  }
}

void write_host_slices(capnp::List<schema::HostSlice>::Builder output, const std::vector<HostSlice>& slices) {
  for (unsigned index = 0; index < output.size(); ++index) {
    const auto& slice = slices[index];
    auto element = output[index];
    element.setPage(slice.page);
    element.setPageOffset(slice.page_offset);
    element.setFileOffset(slice.file_offset);
    element.setSize(slice.size);
  }
}

void write_host_exchange(schema::HostExchange::Builder output, const HostExchange& host) {
  output.setStartupMark(host.startup_mark);
  output.setCommandPage(host.command_page);
  output.setCommandOffset(host.command_offset);
  auto pages = output.initPages(stored_length(host.pages.size()));
  for (unsigned index = 0; index < pages.size(); ++index) {
    pages[index].setIndex(host.pages[index].index);
    pages[index].setSize(host.pages[index].size);
  }
  write_numbers(output.initAttachOrder(stored_length(host.attach_order.size())), host.attach_order);
  auto calls = output.initCalls(stored_length(host.calls.size()));
  for (unsigned index = 0; index < calls.size(); ++index) {
    const auto& call = host.calls[index];
    auto element = calls[index];
    element.setName(as_text(call.name));
    element.setCommand(call.command);
    element.setPhases(call.phases);
    element.setInvocations(call.invocations);
    write_numbers(element.initInputBatchEnds(stored_length(call.input_batch_ends.size())), call.input_batch_ends);
    write_numbers(element.initOutputBatchEnds(stored_length(call.output_batch_ends.size())), call.output_batch_ends);
    write_host_slices(element.initInputs(stored_length(call.inputs.size())), call.inputs);
    write_host_slices(element.initOutputs(stored_length(call.outputs.size())), call.outputs);
  }
}

void write_profile_tiles(capnp::List<schema::TileProfilePlan>::Builder output,
                         const std::vector<TileProfilePlan>& tiles) {
  for (unsigned index = 0; index < output.size(); ++index) {
    const auto& plan = tiles[index];
    auto element = output[index];
    element.setPhysicalTile(plan.physical_tile);
    auto steps = element.initSteps(stored_length(plan.steps.size()));
    for (unsigned step_index = 0; step_index < steps.size(); ++step_index) {
      write_profile_step(steps[step_index], plan.steps[step_index]);
    }
  }
}

// Every length of `application` that the message will hold.
Result<void> check_sizes(const Application& application) {
  SizeCheck check;
  check.text(application.compiler_version);
  check.structs<schema::TileImage>(application.tiles);
  for (const auto& tile : application.tiles) {
    check.structs<schema::Segment>(tile.segments);
    for (const auto& segment : tile.segments) {
      check.data(segment.data);
    }
  }
  for (const auto* bindings : {&application.inputs, &application.outputs, &application.weights}) {
    check.structs<schema::Binding>(*bindings);
    for (const auto& binding : *bindings) {
      check.text(binding.name);
      check.text(binding.dtype);
      check.numbers(binding.shape);
      check.structs<schema::RegionSlice>(binding.slices);
    }
  }
  const auto& host = application.host_exchange;
  check.structs<schema::HostPage>(host.pages);
  check.numbers(host.attach_order);
  check.structs<schema::HostCall>(host.calls);
  for (const auto& call : host.calls) {
    check.text(call.name);
    check.structs<schema::HostSlice>(call.inputs);
    check.structs<schema::HostSlice>(call.outputs);
    check.numbers(call.input_batch_ends);
    check.numbers(call.output_batch_ends);
  }
  check.structs<schema::EntryPoint>(application.entry_points);
  for (const auto& entry : application.entry_points) {
    check.text(entry.name);
  }
  check.structs<schema::DeviceConfigWrite>(application.device_config_writes);
  check.structs<schema::TileProfilePlan>(application.profile_tiles);
  for (const auto& plan : application.profile_tiles) {
    check.structs<schema::Step>(plan.steps);
    for (const auto& step : plan.steps) {
      check_step_sizes(check, step);
    }
  }
  check.structs<schema::DebugSymbol>(application.debug_symbols);
  for (const auto& symbol : application.debug_symbols) {
    check.text(symbol.name);
  }
  check.structs<schema::DebugRegion>(application.debug_regions);
  for (const auto& region : application.debug_regions) {
    check.text(region.name);
  }
  return std::move(check).result();
}

// Fills the root of a package. The order of the calls below is the order
// in which the message allocates its objects, so it fixes the bytes.
void build_package(schema::Application::Builder root, const Application& application) {
  root.setSchemaVersion(PACKAGE_SCHEMA_VERSION);
  root.setCompilerVersion(as_text(application.compiler_version));
  root.setTarget(capnp::Text::Reader(PACKAGE_TARGET.data(), PACKAGE_TARGET.size()));
  root.setTileMemoryBase(TILE_MEMORY_BASE);
  root.setTileMemorySize(TILE_MEMORY_SIZE);
  write_tiles(root.initTiles(stored_length(application.tiles.size())), application.tiles);
  write_bindings(root.initInputs(stored_length(application.inputs.size())), application.inputs);
  write_bindings(root.initOutputs(stored_length(application.outputs.size())), application.outputs);
  write_bindings(root.initWeights(stored_length(application.weights.size())), application.weights);
  write_host_exchange(root.initHostExchange(), application.host_exchange);

  auto entry_points = root.initEntryPoints(stored_length(application.entry_points.size()));
  for (unsigned index = 0; index < entry_points.size(); ++index) {
    const auto& entry = application.entry_points[index];
    entry_points[index].setName(as_text(entry.name));
    entry_points[index].setCommand(entry.command);
    entry_points[index].setExternalSyncs(entry.external_syncs);
  }

  auto config_writes = root.initDeviceConfigWrites(stored_length(application.device_config_writes.size()));
  for (unsigned index = 0; index < config_writes.size(); ++index) {
    config_writes[index].setOffset(application.device_config_writes[index].offset);
    config_writes[index].setValue(application.device_config_writes[index].value);
  }

  write_profile_tiles(root.initProfileTiles(stored_length(application.profile_tiles.size())),
                      application.profile_tiles);

  auto symbols = root.initDebugSymbols(stored_length(application.debug_symbols.size()));
  for (unsigned index = 0; index < symbols.size(); ++index) {
    symbols[index].setName(as_text(application.debug_symbols[index].name));
    symbols[index].setAddress(application.debug_symbols[index].address);
  }

  auto regions = root.initDebugRegions(stored_length(application.debug_regions.size()));
  for (unsigned index = 0; index < regions.size(); ++index) {
    const auto& region = application.debug_regions[index];
    regions[index].setPhysicalTile(region.physical_tile);
    regions[index].setAddress(region.address);
    regions[index].setSize(region.size);
    regions[index].setName(as_text(region.name));
  }
}

}  // namespace

Result<void> Application::write(kj::OutputStream& output) const {
  if (auto valid = validate(); !valid) {
    return valid;
  }
  if (auto storable = check_sizes(*this); !storable) {
    return storable;
  }
  log::emit(log::Level::Info, "writing application package",
            std::array<log::Field, 1>{{{"tiles", std::uint64_t{tiles.size()}}}});

  auto written = write_message<schema::Application>(
      output, [&](schema::Application::Builder root) { build_package(root, *this); });
  if (written) {
    log::emit(log::Level::Info, "application package written");
  }
  return written;
}

Result<void> Application::write(std::vector<std::uint8_t>& output) const { return append_message(output, *this); }

}  // namespace zor
