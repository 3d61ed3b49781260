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

void write_segment(schema::Segment::Builder output, const Segment& segment) {
  output.setAddress(segment.address);
  output.setMemorySize(segment.memory_size);
  output.setData(as_data(segment.data));
  output.setFlags(segment.flags);
}

void write_tile(schema::TileImage::Builder output, const TileImage& tile) {
  output.setPhysicalTile(tile.physical_tile);
  output.setEntryPoint(tile.entry_point);
  output.setCommandAddress(tile.command_address);
  output.setDiagnosticAddress(tile.diagnostic_address);
  write_each(output.initSegments(stored_length(tile.segments.size())), tile.segments, write_segment);
}

void write_tiles(capnp::List<schema::TileImage>::Builder output, const std::vector<TileImage>& tiles) {
  write_each(output, tiles, write_tile);
}

void write_region_slice(schema::RegionSlice::Builder output, const RegionSlice& slice) {
  output.setTile(slice.tile);
  output.setTileAddress(slice.tile_address);
  output.setFileOffset(slice.file_offset);
  output.setSize(slice.size);
}

void write_binding(schema::Binding::Builder output, const Binding& binding) {
  output.setName(as_text(binding.name));
  output.setDtype(as_text(binding.dtype));
  write_numbers(output.initShape(stored_length(binding.shape.size())), binding.shape);
  write_each(output.initSlices(stored_length(binding.slices.size())), binding.slices, write_region_slice);
}

void write_bindings(capnp::List<schema::Binding>::Builder output, const std::vector<Binding>& bindings) {
  write_each(output, bindings, write_binding);
}

void write_host_slice(schema::HostSlice::Builder output, const HostSlice& slice) {
  output.setPage(slice.page);
  output.setPageOffset(slice.page_offset);
  output.setFileOffset(slice.file_offset);
  output.setSize(slice.size);
}

void write_host_slices(capnp::List<schema::HostSlice>::Builder output, const std::vector<HostSlice>& slices) {
  write_each(output, slices, write_host_slice);
}

void write_host_page(schema::HostPage::Builder output, const HostPage& page) {
  output.setIndex(page.index);
  output.setSize(page.size);
}

// The batch ends are created before the slices.
void write_host_call(schema::HostCall::Builder output, const HostCall& call) {
  output.setName(as_text(call.name));
  output.setCommand(call.command);
  output.setPhases(call.phases);
  output.setInvocations(call.invocations);
  write_numbers(output.initInputBatchEnds(stored_length(call.input_batch_ends.size())), call.input_batch_ends);
  write_numbers(output.initOutputBatchEnds(stored_length(call.output_batch_ends.size())), call.output_batch_ends);
  write_host_slices(output.initInputs(stored_length(call.inputs.size())), call.inputs);
  write_host_slices(output.initOutputs(stored_length(call.outputs.size())), call.outputs);
}

void write_host_exchange(schema::HostExchange::Builder output, const HostExchange& host) {
  output.setStartupMark(host.startup_mark);
  output.setCommandPage(host.command_page);
  output.setCommandOffset(host.command_offset);
  write_each(output.initPages(stored_length(host.pages.size())), host.pages, write_host_page);
  write_numbers(output.initAttachOrder(stored_length(host.attach_order.size())), host.attach_order);
  write_each(output.initCalls(stored_length(host.calls.size())), host.calls, write_host_call);
}

void write_entry_point(schema::EntryPoint::Builder output, const EntryPoint& entry) {
  output.setName(as_text(entry.name));
  output.setCommand(entry.command);
  output.setExternalSyncs(entry.external_syncs);
}

void write_device_config_write(schema::DeviceConfigWrite::Builder output, const DeviceConfigWrite& write) {
  output.setOffset(write.offset);
  output.setValue(write.value);
}

void write_profile_plan(schema::TileProfilePlan::Builder output, const TileProfilePlan& plan) {
  output.setPhysicalTile(plan.physical_tile);
  write_each(output.initSteps(stored_length(plan.steps.size())), plan.steps, write_profile_step);
}

void write_profile_tiles(capnp::List<schema::TileProfilePlan>::Builder output,
                         const std::vector<TileProfilePlan>& tiles) {
  write_each(output, tiles, write_profile_plan);
}

void write_debug_symbol(schema::DebugSymbol::Builder output, const DebugSymbol& symbol) {
  output.setName(as_text(symbol.name));
  output.setAddress(symbol.address);
}

void write_debug_region(schema::DebugRegion::Builder output, const DebugRegion& region) {
  output.setPhysicalTile(region.physical_tile);
  output.setAddress(region.address);
  output.setSize(region.size);
  output.setName(as_text(region.name));
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
  write_each(root.initEntryPoints(stored_length(application.entry_points.size())), application.entry_points,
             write_entry_point);
  write_each(root.initDeviceConfigWrites(stored_length(application.device_config_writes.size())),
             application.device_config_writes, write_device_config_write);
  write_profile_tiles(root.initProfileTiles(stored_length(application.profile_tiles.size())),
                      application.profile_tiles);
  write_each(root.initDebugSymbols(stored_length(application.debug_symbols.size())), application.debug_symbols,
             write_debug_symbol);
  write_each(root.initDebugRegions(stored_length(application.debug_regions.size())), application.debug_regions,
             write_debug_region);
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
