// A log sink that records every event, for tests that check what the library
// logs. Installing it replaces any sink; destroying the guard removes it.
#pragma once

#include <zor/package/log.hpp>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace zor::test_support {

struct CapturedEvent {
  log::Level level;
  std::string target;
  std::string message;
  // Integer fields hold their decimal text, so every field compares as text.
  std::vector<std::pair<std::string, std::string>> fields;

  bool operator==(const CapturedEvent&) const = default;
};

class CaptureSink final : public log::Sink {
 public:
  void log(const log::Event& event) override {
    CapturedEvent captured{event.level, std::string(event.target), std::string(event.message), {}};
    for (const auto& field : event.fields) {
      std::string value = std::visit(
          [](const auto& v) -> std::string {
            if constexpr (std::is_same_v<std::decay_t<decltype(v)>, std::uint64_t>) {
              return std::to_string(v);
            } else {
              return std::string(v);
            }
          },
          field.value);
      captured.fields.emplace_back(std::string(field.name), std::move(value));
    }
    const std::lock_guard lock(mutex_);
    events_.push_back(std::move(captured));
  }

  std::vector<CapturedEvent> events() const {
    const std::lock_guard lock(mutex_);
    return events_;
  }

  std::vector<std::string> messages() const {
    std::vector<std::string> result;
    for (const auto& event : events()) {
      result.push_back(event.message);
    }
    return result;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<CapturedEvent> events_;
};

// Installs a CaptureSink for the lifetime of the guard.
class ScopedCapture {
 public:
  ScopedCapture() : sink_(std::make_shared<CaptureSink>()) { log::set_sink(sink_); }
  ScopedCapture(const ScopedCapture&) = delete;
  ScopedCapture& operator=(const ScopedCapture&) = delete;
  ~ScopedCapture() { log::set_sink(nullptr); }

  const CaptureSink& sink() const { return *sink_; }

 private:
  std::shared_ptr<CaptureSink> sink_;
};

}  // namespace zor::test_support
