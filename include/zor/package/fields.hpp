// The names of every model record, its fields and the enumerators, with
// member pointers in declaration order. Everything that shows or parses a
// record field by field (debug text, JSON) walks these tables, so the forms
// cannot disagree with each other or fall behind the model.
#pragma once

#include <zor/package/model.hpp>

#include <array>
#include <string_view>
#include <tuple>
#include <utility>

namespace zor::fields {

template <class Owner, class Member>
struct Field {
  std::string_view name;
  Member Owner::*member;
};

// Specialised for every record: its type name and its fields in declaration
// order.
template <class T>
struct RecordFields;

template <class T>
concept Record = requires {
  RecordFields<T>::name;
  RecordFields<T>::fields;
};

template <>
struct RecordFields<Segment> {
  static constexpr std::string_view name = "Segment";
  static constexpr std::tuple fields{
      Field{"address", &Segment::address},
      Field{"memory_size", &Segment::memory_size},
      Field{"data", &Segment::data},
      Field{"flags", &Segment::flags},
  };
};

template <>
struct RecordFields<TileImage> {
  static constexpr std::string_view name = "TileImage";
  static constexpr std::tuple fields{
      Field{"physical_tile", &TileImage::physical_tile},
      Field{"entry_point", &TileImage::entry_point},
      Field{"command_address", &TileImage::command_address},
      Field{"diagnostic_address", &TileImage::diagnostic_address},
      Field{"segments", &TileImage::segments},
  };
};

template <>
struct RecordFields<RegionSlice> {
  static constexpr std::string_view name = "RegionSlice";
  static constexpr std::tuple fields{
      Field{"tile", &RegionSlice::tile},
      Field{"tile_address", &RegionSlice::tile_address},
      Field{"file_offset", &RegionSlice::file_offset},
      Field{"size", &RegionSlice::size},
  };
};

template <>
struct RecordFields<Binding> {
  static constexpr std::string_view name = "Binding";
  static constexpr std::tuple fields{
      Field{"name", &Binding::name},
      Field{"dtype", &Binding::dtype},
      Field{"shape", &Binding::shape},
      Field{"slices", &Binding::slices},
  };
};

template <>
struct RecordFields<HostPage> {
  static constexpr std::string_view name = "HostPage";
  static constexpr std::tuple fields{
      Field{"index", &HostPage::index},
      Field{"size", &HostPage::size},
  };
};

template <>
struct RecordFields<HostSlice> {
  static constexpr std::string_view name = "HostSlice";
  static constexpr std::tuple fields{
      Field{"page", &HostSlice::page},
      Field{"page_offset", &HostSlice::page_offset},
      Field{"file_offset", &HostSlice::file_offset},
      Field{"size", &HostSlice::size},
  };
};

template <>
struct RecordFields<HostCall> {
  static constexpr std::string_view name = "HostCall";
  static constexpr std::tuple fields{
      Field{"name", &HostCall::name},
      Field{"command", &HostCall::command},
      Field{"phases", &HostCall::phases},
      Field{"inputs", &HostCall::inputs},
      Field{"outputs", &HostCall::outputs},
      Field{"invocations", &HostCall::invocations},
      Field{"input_batch_ends", &HostCall::input_batch_ends},
      Field{"output_batch_ends", &HostCall::output_batch_ends},
  };
};

template <>
struct RecordFields<HostExchange> {
  static constexpr std::string_view name = "HostExchange";
  static constexpr std::tuple fields{
      Field{"startup_mark", &HostExchange::startup_mark},
      Field{"command_page", &HostExchange::command_page},
      Field{"command_offset", &HostExchange::command_offset},
      Field{"pages", &HostExchange::pages},
      Field{"attach_order", &HostExchange::attach_order},
      Field{"calls", &HostExchange::calls},
  };
};

template <>
struct RecordFields<EntryPoint> {
  static constexpr std::string_view name = "EntryPoint";
  static constexpr std::tuple fields{
      Field{"name", &EntryPoint::name},
      Field{"command", &EntryPoint::command},
      Field{"external_syncs", &EntryPoint::external_syncs},
  };
};

template <>
struct RecordFields<DeviceConfigWrite> {
  static constexpr std::string_view name = "DeviceConfigWrite";
  static constexpr std::tuple fields{
      Field{"offset", &DeviceConfigWrite::offset},
      Field{"value", &DeviceConfigWrite::value},
  };
};

template <>
struct RecordFields<ProfileMetadata> {
  static constexpr std::string_view name = "ProfileMetadata";
  static constexpr std::tuple fields{
      Field{"name", &ProfileMetadata::name},
      Field{"value", &ProfileMetadata::value},
  };
};

template <>
struct RecordFields<ProfileExchangeActivity> {
  static constexpr std::string_view name = "ProfileExchangeActivity";
  static constexpr std::tuple fields{
      Field{"kind", &ProfileExchangeActivity::kind},
      Field{"start_cycle", &ProfileExchangeActivity::start_cycle},
      Field{"end_cycle", &ProfileExchangeActivity::end_cycle},
  };
};

template <>
struct RecordFields<ProfileStep> {
  static constexpr std::string_view name = "ProfileStep";
  static constexpr std::tuple fields{
      Field{"local_index", &ProfileStep::local_index},
      Field{"phase", &ProfileStep::phase},
      Field{"epoch", &ProfileStep::epoch},
      Field{"operation", &ProfileStep::operation},
      Field{"kind", &ProfileStep::kind},
      Field{"kernel", &ProfileStep::kernel},
      Field{"metadata", &ProfileStep::metadata},
      Field{"exchange_activities", &ProfileStep::exchange_activities},
      Field{"exchange_event_cycles", &ProfileStep::exchange_event_cycles},
  };
};

template <>
struct RecordFields<TileProfilePlan> {
  static constexpr std::string_view name = "TileProfilePlan";
  static constexpr std::tuple fields{
      Field{"physical_tile", &TileProfilePlan::physical_tile},
      Field{"steps", &TileProfilePlan::steps},
  };
};

template <>
struct RecordFields<DebugSymbol> {
  static constexpr std::string_view name = "DebugSymbol";
  static constexpr std::tuple fields{
      Field{"name", &DebugSymbol::name},
      Field{"address", &DebugSymbol::address},
  };
};

template <>
struct RecordFields<DebugRegion> {
  static constexpr std::string_view name = "DebugRegion";
  static constexpr std::tuple fields{
      Field{"physical_tile", &DebugRegion::physical_tile},
      Field{"address", &DebugRegion::address},
      Field{"size", &DebugRegion::size},
      Field{"name", &DebugRegion::name},
  };
};

template <>
struct RecordFields<Application> {
  static constexpr std::string_view name = "Application";
  static constexpr std::tuple fields{
      Field{"compiler_version", &Application::compiler_version},
      Field{"tiles", &Application::tiles},
      Field{"inputs", &Application::inputs},
      Field{"outputs", &Application::outputs},
      Field{"weights", &Application::weights},
      Field{"host_exchange", &Application::host_exchange},
      Field{"entry_points", &Application::entry_points},
      Field{"device_config_writes", &Application::device_config_writes},
      Field{"profile_tiles", &Application::profile_tiles},
      Field{"debug_symbols", &Application::debug_symbols},
      Field{"debug_regions", &Application::debug_regions},
  };
};

template <>
struct RecordFields<CycleSample> {
  static constexpr std::string_view name = "CycleSample";
  static constexpr std::tuple fields{
      Field{"step", &CycleSample::step},
      Field{"start_cycle", &CycleSample::start_cycle},
      Field{"end_cycle", &CycleSample::end_cycle},
  };
};

template <>
struct RecordFields<TileProfile> {
  static constexpr std::string_view name = "TileProfile";
  static constexpr std::tuple fields{
      Field{"physical_tile", &TileProfile::physical_tile},
      Field{"samples", &TileProfile::samples},
  };
};

template <>
struct RecordFields<ProfileReport> {
  static constexpr std::string_view name = "ProfileReport";
  static constexpr std::tuple fields{
      Field{"clock_hz", &ProfileReport::clock_hz},
      Field{"tiles", &ProfileReport::tiles},
  };
};

// Enumerators by name, in value order.
template <class Enum>
struct Enumerators;

template <class Enum>
concept Enumeration = requires { Enumerators<Enum>::names; };

template <>
struct Enumerators<ProfileStepKind> {
  static constexpr std::string_view name = "ProfileStepKind";
  static constexpr std::array names{
      std::pair{ProfileStepKind::Exchange, std::string_view{"Exchange"}},
      std::pair{ProfileStepKind::Compute, std::string_view{"Compute"}},
      std::pair{ProfileStepKind::Synchronization, std::string_view{"Synchronization"}},
      std::pair{ProfileStepKind::Idle, std::string_view{"Idle"}},
  };
};

template <>
struct Enumerators<ExchangeActivityKind> {
  static constexpr std::string_view name = "ExchangeActivityKind";
  static constexpr std::array names{
      std::pair{ExchangeActivityKind::Send, std::string_view{"Send"}},
      std::pair{ExchangeActivityKind::Receive, std::string_view{"Receive"}},
      std::pair{ExchangeActivityKind::PartnerBusy, std::string_view{"PartnerBusy"}},
  };
};

// The name of an enumerator, or an empty view for a value outside the
// enumeration.
template <Enumeration Enum>
constexpr std::string_view enumerator_name(Enum value) {
  for (const auto& [enumerator, name] : Enumerators<Enum>::names) {
    if (enumerator == value) {
      return name;
    }
  }
  return {};
}

}  // namespace zor::fields
