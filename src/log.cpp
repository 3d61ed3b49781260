#include <zor/package/log.hpp>

#include <mutex>

namespace zor::log {
namespace detail {
std::atomic<bool> sink_installed{false};
}  // namespace detail

namespace {

// The sink is read under the mutex only long enough to take a reference, so
// a sink that is replaced while it handles an event stays alive until it
// returns.
std::mutex sink_mutex;
std::shared_ptr<Sink> installed_sink;

}  // namespace

std::string_view level_name(Level level) noexcept {
  switch (level) {
    case Level::Trace:
      return "TRACE";
    case Level::Debug:
      return "DEBUG";
    case Level::Info:
      return "INFO";
    case Level::Warn:
      return "WARN";
    case Level::Error:
      return "ERROR";
  }
  return "UNKNOWN";
}

void set_sink(std::shared_ptr<Sink> sink) {
  const std::lock_guard lock(sink_mutex);
  detail::sink_installed.store(sink != nullptr, std::memory_order_release);
  installed_sink = std::move(sink);
}

std::shared_ptr<Sink> current_sink() {
  const std::lock_guard lock(sink_mutex);
  return installed_sink;
}

void detail::dispatch(const Event& event) noexcept {
  try {
    const auto sink = current_sink();
    if (sink) {
      sink->log(event);
    }
  } catch (...) {  // NOLINT(bugprone-empty-catch): a failing sink must not fail the library's operation
  }
}

}  // namespace zor::log
