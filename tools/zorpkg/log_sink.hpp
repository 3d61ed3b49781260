// Prints the library's log events for zorpkg -v.
#pragma once

#include <zor/package/log.hpp>

#include <cstdio>
#include <string>

namespace zorpkg {

// One line per event: level, target, message and name=value fields, for
// example "INFO zor_package: application package read tiles=1 compiler=0.1.0".
// Texts that would not read as one word are quoted.
[[nodiscard]] std::string format_log_event(const zor::log::Event& event);

// Writes the events at `minimum` level and above to `stream`, a line each.
class StreamSink final : public zor::log::Sink {
 public:
  StreamSink(std::FILE* stream, zor::log::Level minimum) : stream_(stream), minimum_(minimum) {}
  void log(const zor::log::Event& event) override;

 private:
  std::FILE* stream_;
  zor::log::Level minimum_;
};

}  // namespace zorpkg
