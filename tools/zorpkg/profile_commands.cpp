#include "chrome_trace.hpp"
#include "commands.hpp"
#include "json_model.hpp"
#include "profile_table.hpp"

namespace zorpkg {

CommandResult<void> run_profile(const std::string& package, const std::string& runtime_output,
                                std::uint64_t clock_hz, const std::string& report) {
  auto application = load_application(package);
  if (!application) {
    return std::unexpected(std::move(application.error()));
  }
  auto buffer = load_input(runtime_output);
  if (!buffer) {
    return std::unexpected(std::move(buffer.error()));
  }
  auto profile = application->profile_report(buffer->bytes(), clock_hz);
  if (!profile) {
    return std::unexpected(std::move(profile.error()));
  }
  return save_profile_report(report, *profile);
}

CommandResult<void> run_profile_show(const ProfileShowOptions& options) {
  auto report = load_profile_report(options.report);
  if (!report) {
    return std::unexpected(std::move(report.error()));
  }
  if (!options.chrome_trace.empty()) {
    auto trace = chrome_trace_json(*report);
    if (!trace) {
      return std::unexpected(std::move(trace.error()));
    }
    if (auto saved = save_output(options.chrome_trace, *trace); !saved) {
      return saved;
    }
    if (options.chrome_trace == STANDARD_STREAM) {
      return {};
    }
  }
  return print(options.json ? profile_report_to_json(*report) : profile_tables(*report));
}

}  // namespace zorpkg
