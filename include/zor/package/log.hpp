// Structured-logging facade. The library reports events here; nothing is
// output unless the host program installs a sink. With no sink a call site
// costs one atomic load and a branch. Installing, replacing and removing the
// sink, and emitting events, are safe from any thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <variant>

namespace zor::log {

enum class Level : std::uint8_t { Trace, Debug, Info, Warn, Error };

// The upper-case name of a level: "TRACE", "DEBUG", "INFO", "WARN", "ERROR".
std::string_view level_name(Level level) noexcept;

// Every event of this library carries this target.
inline constexpr std::string_view TARGET = "zor_package";

// A named value of an event: an unsigned integer or a display text. Views
// are valid only for the duration of the sink's call.
struct Field {
  std::string_view name;
  std::variant<std::uint64_t, std::string_view> value;
};

struct Event {
  Level level;
  std::string_view target;
  std::string_view message;
  std::span<const Field> fields;
};

class Sink {
 public:
  Sink() = default;
  Sink(const Sink&) = delete;
  Sink& operator=(const Sink&) = delete;
  virtual ~Sink() = default;

  // Called on the thread that emits the event, possibly on several threads
  // at once. An exception thrown here is swallowed by the facade.
  virtual void log(const Event& event) = 0;
};

// Installs `sink` in place of the current one; nullptr removes it. An event
// being delivered to the previous sink completes with that sink.
void set_sink(std::shared_ptr<Sink> sink);

// The installed sink, or nullptr.
std::shared_ptr<Sink> current_sink();

namespace detail {
extern std::atomic<bool> sink_installed;
void dispatch(const Event& event) noexcept;
}  // namespace detail

// True when a sink is installed: call sites that must prepare a field (for
// example format a text) test this first.
inline bool enabled() noexcept { return detail::sink_installed.load(std::memory_order_acquire); }

template <std::size_t N = 0>
inline void emit(Level level, std::string_view message, const std::array<Field, N>& fields = {}) noexcept {
  if (!enabled()) [[likely]] {
    return;
  }
  detail::dispatch(Event{level, TARGET, message, std::span<const Field>(fields)});
}

}  // namespace zor::log
