#include <zor/package/log.hpp>

#include "support/capture_sink.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

namespace zor {
namespace {

using test_support::CapturedEvent;
using test_support::CaptureSink;

class ThrowingSink final : public log::Sink {
 public:
  void log(const log::Event& /*event*/) override { throw std::runtime_error("sink failed"); }
};

TEST(Log, NothingIsDeliveredWithoutASink) {
  log::set_sink(nullptr);
  EXPECT_FALSE(log::enabled());
  log::emit(log::Level::Info, "dropped");
  EXPECT_EQ(log::current_sink(), nullptr);
}

TEST(Log, SinkReceivesLevelTargetMessageAndFields) {
  const test_support::ScopedCapture capture;
  EXPECT_TRUE(log::enabled());
  log::emit(log::Level::Trace, "with fields",
            std::array{log::Field{"count", std::uint64_t{3}}, log::Field{"name", std::string_view("0x4c000")}});
  log::emit(log::Level::Info, "no fields");
  const std::vector<CapturedEvent> expected{
      {log::Level::Trace, "zor_package", "with fields", {{"count", "3"}, {"name", "0x4c000"}}},
      {log::Level::Info, "zor_package", "no fields", {}},
  };
  EXPECT_EQ(capture.sink().events(), expected);
}

TEST(Log, ReplacingAndRemovingTheSink) {
  auto first = std::make_shared<CaptureSink>();
  auto second = std::make_shared<CaptureSink>();
  log::set_sink(first);
  log::emit(log::Level::Info, "one");
  log::set_sink(second);
  log::emit(log::Level::Info, "two");
  log::set_sink(nullptr);
  log::emit(log::Level::Info, "three");
  EXPECT_EQ(first->messages(), std::vector<std::string>{"one"});
  EXPECT_EQ(second->messages(), std::vector<std::string>{"two"});
}

TEST(Log, AThrowingSinkDoesNotEscape) {
  log::set_sink(std::make_shared<ThrowingSink>());
  EXPECT_NO_THROW(log::emit(log::Level::Error, "ignored"));
  log::set_sink(nullptr);
}

TEST(Log, ConcurrentEmitAndReplace) {
  auto sink = std::make_shared<CaptureSink>();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 1000; ++i) {
        log::emit(log::Level::Info, "event");
      }
    });
  }
  for (int i = 0; i < 200; ++i) {
    log::set_sink(i % 2 == 0 ? sink : nullptr);
  }
  for (auto& thread : threads) {
    thread.join();
  }
  log::set_sink(nullptr);
  for (const auto& event : sink->events()) {
    EXPECT_EQ(event.message, "event");
  }
}

TEST(Log, LevelNames) {
  EXPECT_EQ(log::level_name(log::Level::Trace), "TRACE");
  EXPECT_EQ(log::level_name(log::Level::Info), "INFO");
  EXPECT_EQ(log::level_name(log::Level::Error), "ERROR");
}

}  // namespace
}  // namespace zor
