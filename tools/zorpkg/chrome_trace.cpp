#include "chrome_trace.hpp"

#include "json_encode.hpp"
#include <zor/package/fields.hpp>
#include "profile_time.hpp"

#include <fmt/format.h>

namespace zorpkg {
namespace {

// All tiles belong to one device, shown as one process.
constexpr int DEVICE_PROCESS = 1;

Json track_name(std::uint32_t tile) {
  return Json{{"name", "thread_name"},
              {"ph", "M"},
              {"pid", DEVICE_PROCESS},
              {"tid", tile},
              {"args", {{"name", fmt::format("tile {}", tile)}}}};
}

Json sample_event(std::uint32_t tile, const zor::CycleSample& sample, std::uint64_t clock_hz) {
  Json args = to_json_value(sample.step);
  args["start_cycle"] = sample.start_cycle;
  args["end_cycle"] = sample.end_cycle;
  const auto kind = zor::fields::enumerator_name(sample.step.kind);
  return Json{{"name", sample.step.operation.empty() ? std::string(kind) : sample.step.operation},
              {"cat", kind},
              {"ph", "X"},
              {"pid", DEVICE_PROCESS},
              {"tid", tile},
              {"ts", cycles_to_microseconds(sample.start_cycle, clock_hz)},
              {"dur", cycles_to_microseconds(sample_cycles(sample), clock_hz)},
              {"args", std::move(args)}};
}

}  // namespace

zor::Result<std::string> chrome_trace_json(const zor::ProfileReport& report) {
  if (report.clock_hz == 0) {
    return std::unexpected(zor::PackageError::invalid("profile report has clock rate 0, so cycles have no duration"));
  }
  Json events = Json::array();
  for (const auto& tile : report.tiles) {
    events.push_back(track_name(tile.physical_tile));
    for (const auto& sample : tile.samples) {
      events.push_back(sample_event(tile.physical_tile, sample, report.clock_hz));
    }
  }
  return dump_json(Json{{"traceEvents", std::move(events)}, {"displayTimeUnit", "ns"}});
}

}  // namespace zorpkg
