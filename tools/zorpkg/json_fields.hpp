// The JSON names of every model record field and enumerator. Encoding and
// decoding both walk these tables, so the two directions cannot disagree.
#pragma once

#include <zor/package/model.hpp>

#include <array>
#include <string_view>
#include <tuple>
#include <utility>

namespace zorpkg::json_fields {

template <class Record, class Member>
struct Field {
  std::string_view name;
  Member Record::*member;
};

// Specialised for every record that is written as a JSON object; the fields
// are listed in model order, which is also the order of the JSON output.
template <class Record>
struct RecordFields;

template <class Record>
concept JsonRecord = requires { RecordFields<Record>::fields; };

template <>
struct RecordFields<zor::Segment> {
  static constexpr std::tuple fields{
      Field{"address", &zor::Segment::address},
      Field{"memory_size", &zor::Segment::memory_size},
      Field{"data", &zor::Segment::data},
      Field{"flags", &zor::Segment::flags},
  };
};

template <>
struct RecordFields<zor::TileImage> {
  static constexpr std::tuple fields{
      Field{"physical_tile", &zor::TileImage::physical_tile},
      Field{"entry_point", &zor::TileImage::entry_point},
      Field{"command_address", &zor::TileImage::command_address},
      Field{"diagnostic_address", &zor::TileImage::diagnostic_address},
      Field{"segments", &zor::TileImage::segments},
  };
};

template <>
struct RecordFields<zor::RegionSlice> {
  static constexpr std::tuple fields{
      Field{"tile", &zor::RegionSlice::tile},
      Field{"tile_address", &zor::RegionSlice::tile_address},
      Field{"file_offset", &zor::RegionSlice::file_offset},
      Field{"size", &zor::RegionSlice::size},
  };
};

template <>
struct RecordFields<zor::Binding> {
  static constexpr std::tuple fields{
      Field{"name", &zor::Binding::name},
      Field{"dtype", &zor::Binding::dtype},
      Field{"shape", &zor::Binding::shape},
      Field{"slices", &zor::Binding::slices},
  };
};

template <>
struct RecordFields<zor::HostPage> {
  static constexpr std::tuple fields{
      Field{"index", &zor::HostPage::index},
      Field{"size", &zor::HostPage::size},
  };
};

template <>
struct RecordFields<zor::HostSlice> {
  static constexpr std::tuple fields{
      Field{"page", &zor::HostSlice::page},
      Field{"page_offset", &zor::HostSlice::page_offset},
      Field{"file_offset", &zor::HostSlice::file_offset},
      Field{"size", &zor::HostSlice::size},
  };
};

template <>
struct RecordFields<zor::HostCall> {
  static constexpr std::tuple fields{
      Field{"name", &zor::HostCall::name},
      Field{"command", &zor::HostCall::command},
      Field{"phases", &zor::HostCall::phases},
      Field{"inputs", &zor::HostCall::inputs},
      Field{"outputs", &zor::HostCall::outputs},
      Field{"invocations", &zor::HostCall::invocations},
      Field{"input_batch_ends", &zor::HostCall::input_batch_ends},
      Field{"output_batch_ends", &zor::HostCall::output_batch_ends},
  };
};

template <>
struct RecordFields<zor::HostExchange> {
  static constexpr std::tuple fields{
      Field{"startup_mark", &zor::HostExchange::startup_mark},
      Field{"command_page", &zor::HostExchange::command_page},
      Field{"command_offset", &zor::HostExchange::command_offset},
      Field{"pages", &zor::HostExchange::pages},
      Field{"attach_order", &zor::HostExchange::attach_order},
      Field{"calls", &zor::HostExchange::calls},
  };
};

template <>
struct RecordFields<zor::EntryPoint> {
  static constexpr std::tuple fields{
      Field{"name", &zor::EntryPoint::name},
      Field{"command", &zor::EntryPoint::command},
      Field{"external_syncs", &zor::EntryPoint::external_syncs},
  };
};

template <>
struct RecordFields<zor::DeviceConfigWrite> {
  static constexpr std::tuple fields{
      Field{"offset", &zor::DeviceConfigWrite::offset},
      Field{"value", &zor::DeviceConfigWrite::value},
  };
};

template <>
struct RecordFields<zor::ProfileMetadata> {
  static constexpr std::tuple fields{
      Field{"name", &zor::ProfileMetadata::name},
      Field{"value", &zor::ProfileMetadata::value},
  };
};

template <>
struct RecordFields<zor::ProfileExchangeActivity> {
  static constexpr std::tuple fields{
      Field{"kind", &zor::ProfileExchangeActivity::kind},
      Field{"start_cycle", &zor::ProfileExchangeActivity::start_cycle},
      Field{"end_cycle", &zor::ProfileExchangeActivity::end_cycle},
  };
};

template <>
struct RecordFields<zor::ProfileStep> {
  static constexpr std::tuple fields{
      Field{"local_index", &zor::ProfileStep::local_index},
      Field{"phase", &zor::ProfileStep::phase},
      Field{"epoch", &zor::ProfileStep::epoch},
      Field{"operation", &zor::ProfileStep::operation},
      Field{"kind", &zor::ProfileStep::kind},
      Field{"kernel", &zor::ProfileStep::kernel},
      Field{"metadata", &zor::ProfileStep::metadata},
      Field{"exchange_activities", &zor::ProfileStep::exchange_activities},
      Field{"exchange_event_cycles", &zor::ProfileStep::exchange_event_cycles},
  };
};

template <>
struct RecordFields<zor::TileProfilePlan> {
  static constexpr std::tuple fields{
      Field{"physical_tile", &zor::TileProfilePlan::physical_tile},
      Field{"steps", &zor::TileProfilePlan::steps},
  };
};

template <>
struct RecordFields<zor::DebugSymbol> {
  static constexpr std::tuple fields{
      Field{"name", &zor::DebugSymbol::name},
      Field{"address", &zor::DebugSymbol::address},
  };
};

template <>
struct RecordFields<zor::DebugRegion> {
  static constexpr std::tuple fields{
      Field{"physical_tile", &zor::DebugRegion::physical_tile},
      Field{"address", &zor::DebugRegion::address},
      Field{"size", &zor::DebugRegion::size},
      Field{"name", &zor::DebugRegion::name},
  };
};

template <>
struct RecordFields<zor::Application> {
  static constexpr std::tuple fields{
      Field{"compiler_version", &zor::Application::compiler_version},
      Field{"tiles", &zor::Application::tiles},
      Field{"inputs", &zor::Application::inputs},
      Field{"outputs", &zor::Application::outputs},
      Field{"weights", &zor::Application::weights},
      Field{"host_exchange", &zor::Application::host_exchange},
      Field{"entry_points", &zor::Application::entry_points},
      Field{"device_config_writes", &zor::Application::device_config_writes},
      Field{"profile_tiles", &zor::Application::profile_tiles},
      Field{"debug_symbols", &zor::Application::debug_symbols},
      Field{"debug_regions", &zor::Application::debug_regions},
  };
};

template <>
struct RecordFields<zor::CycleSample> {
  static constexpr std::tuple fields{
      Field{"step", &zor::CycleSample::step},
      Field{"start_cycle", &zor::CycleSample::start_cycle},
      Field{"end_cycle", &zor::CycleSample::end_cycle},
  };
};

template <>
struct RecordFields<zor::TileProfile> {
  static constexpr std::tuple fields{
      Field{"physical_tile", &zor::TileProfile::physical_tile},
      Field{"samples", &zor::TileProfile::samples},
  };
};

template <>
struct RecordFields<zor::ProfileReport> {
  static constexpr std::tuple fields{
      Field{"clock_hz", &zor::ProfileReport::clock_hz},
      Field{"tiles", &zor::ProfileReport::tiles},
  };
};

// Enumerators by name, in value order.
template <class Enum>
struct Enumerators;

template <class Enum>
concept JsonEnum = requires { Enumerators<Enum>::names; };

template <>
struct Enumerators<zor::ProfileStepKind> {
  static constexpr std::string_view type_name = "ProfileStepKind";
  static constexpr std::array names{
      std::pair{zor::ProfileStepKind::Exchange, std::string_view{"Exchange"}},
      std::pair{zor::ProfileStepKind::Compute, std::string_view{"Compute"}},
      std::pair{zor::ProfileStepKind::Synchronization, std::string_view{"Synchronization"}},
      std::pair{zor::ProfileStepKind::Idle, std::string_view{"Idle"}},
  };
};

template <>
struct Enumerators<zor::ExchangeActivityKind> {
  static constexpr std::string_view type_name = "ExchangeActivityKind";
  static constexpr std::array names{
      std::pair{zor::ExchangeActivityKind::Send, std::string_view{"Send"}},
      std::pair{zor::ExchangeActivityKind::Receive, std::string_view{"Receive"}},
      std::pair{zor::ExchangeActivityKind::PartnerBusy, std::string_view{"PartnerBusy"}},
  };
};

// The name of an enumerator, or an empty view for a value outside the
// enumeration.
template <JsonEnum Enum>
constexpr std::string_view enumerator_name(Enum value) {
  for (const auto& [enumerator, name] : Enumerators<Enum>::names) {
    if (enumerator == value) {
      return name;
    }
  }
  return {};
}

}  // namespace zorpkg::json_fields
