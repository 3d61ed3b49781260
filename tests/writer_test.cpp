#include "message_limits.hpp"
#include "message_output.hpp"
#include "support/capture_sink.hpp"
#include "support/full_application.hpp"

#include <zor/package/debug_text.hpp>
#include <zor/package/model.hpp>

#include <gtest/gtest.h>

#include "application.capnp.h"

#include <capnp/serialize.h>
#include <kj/io.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace zor {
namespace {

using test_support::full_application;

// Accepts the first `capacity` bytes, then fails as a full device would.
class FullSink final : public kj::OutputStream {
 public:
  explicit FullSink(std::size_t capacity) : capacity_(capacity) {}

  void write(const void* buffer, size_t size) override {
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    for (std::size_t index = 0; index < size; ++index) {
      if (accepted.size() == capacity_) {
        KJ_FAIL_REQUIRE("sink is full");
      }
      accepted.push_back(bytes[index]);
    }
  }

  std::vector<std::uint8_t> accepted;

 private:
  std::size_t capacity_;
};

// Throws something that is not the message layer's own exception.
class BrokenSink final : public kj::OutputStream {
 public:
  void write(const void*, size_t) override { throw std::runtime_error("device unplugged"); }
};

TEST(ApplicationWrite, RefusesAnInvalidApplicationWithoutWritingOrLogging) {
  const test_support::ScopedCapture capture;
  std::vector<std::uint8_t> bytes{1, 2, 3};
  const auto written = Application{}.write(bytes);
  ASSERT_FALSE(written.has_value());
  ASSERT_EQ(written.error().kind(), PackageError::Kind::Invalid) << written.error();
  EXPECT_EQ(*written.error().invalid_message(), "application has no tiles");
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_TRUE(capture.sink().events().empty());
}

TEST(ApplicationWrite, AppendsTheSameBytesEveryTimeAndLogsBothEvents) {
  const Application application = full_application();
  std::vector<std::uint8_t> first;
  const test_support::ScopedCapture capture;
  ASSERT_TRUE(application.write(first).has_value());
  const std::vector<test_support::CapturedEvent> expected{
      {log::Level::Info, "zor_package", "writing application package", {{"tiles", "2"}}},
      {log::Level::Info, "zor_package", "application package written", {}},
  };
  EXPECT_EQ(capture.sink().events(), expected);

  std::vector<std::uint8_t> appended{0xaa, 0xbb};
  ASSERT_TRUE(application.write(appended).has_value());
  EXPECT_EQ(std::vector<std::uint8_t>(appended.begin(), appended.begin() + 2),
            (std::vector<std::uint8_t>{0xaa, 0xbb}));
  EXPECT_EQ(std::vector<std::uint8_t>(appended.begin() + 2, appended.end()), first);

  kj::VectorOutputStream stream;
  ASSERT_TRUE(application.write(stream).has_value());
  const auto streamed = stream.getArray();
  EXPECT_EQ(std::vector<std::uint8_t>(streamed.begin(), streamed.end()), first);
}

TEST(ApplicationWrite, WritesTheFixedHeaderAndCreatesEveryList) {
  Application application;
  application.compiler_version = "";
  application.tiles.push_back(TileImage{
      .physical_tile = 0, .entry_point = 0, .command_address = 0, .diagnostic_address = 0, .segments = {}});
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(application.write(bytes).has_value());

  const kj::ArrayPtr<const capnp::word> words(reinterpret_cast<const capnp::word*>(bytes.data()),
                                              bytes.size() / sizeof(capnp::word));
  capnp::FlatArrayMessageReader message(words);
  const auto root = message.getRoot<schema::Application>();
  EXPECT_EQ(root.getSchemaVersion(), 5U);
  EXPECT_EQ(root.getTarget(), "zor21");
  EXPECT_EQ(root.getTileMemoryBase(), 0x4c000U);
  EXPECT_EQ(root.getTileMemorySize(), 0x9c000U);
  EXPECT_TRUE(root.hasCompilerVersion());
  EXPECT_TRUE(root.getTiles()[0].hasSegments());
  EXPECT_TRUE(root.hasInputs() && root.hasOutputs() && root.hasWeights() && root.hasHostExchange() &&
              root.hasEntryPoints() && root.hasDeviceConfigWrites() && root.hasProfileTiles() &&
              root.hasDebugSymbols() && root.hasDebugRegions());
  const auto host = root.getHostExchange();
  EXPECT_TRUE(host.hasPages() && host.hasAttachOrder() && host.hasCalls());
}

TEST(ApplicationWrite, ASinkFailureIsACapnpErrorAndKeepsWhatTheSinkAccepted) {
  const Application application = full_application();
  std::vector<std::uint8_t> complete;
  ASSERT_TRUE(application.write(complete).has_value());

  for (const std::size_t capacity : {std::size_t{0}, std::size_t{5}, complete.size() - 1}) {
    const test_support::ScopedCapture capture;
    FullSink sink(capacity);
    const auto written = application.write(sink);
    ASSERT_FALSE(written.has_value()) << capacity;
    EXPECT_EQ(written.error().kind(), PackageError::Kind::Capnp) << written.error();
    EXPECT_EQ(sink.accepted, std::vector<std::uint8_t>(complete.begin(), complete.begin() + std::ptrdiff_t(capacity)));
    EXPECT_EQ(capture.sink().messages(), std::vector<std::string>{"writing application package"});
  }

  BrokenSink broken;
  const auto written = application.write(broken);
  ASSERT_FALSE(written.has_value());
  ASSERT_EQ(written.error().kind(), PackageError::Kind::Capnp);
  EXPECT_EQ(written.error().capnp()->getDescription(), "device unplugged");
}

// Writes part of a message and then fails, as a sink failing mid-way would.
struct FailsHalfway {
  Result<void> write(kj::OutputStream& output) const {
    output.write("partial", 7);
    return std::unexpected(PackageError::invalid("stopped"));
  }
};

TEST(ApplicationWrite, AVectorNeverKeepsPartOfAMessage) {
  std::vector<std::uint8_t> bytes{9, 8, 7};
  const auto written = append_message(bytes, FailsHalfway{});
  ASSERT_FALSE(written.has_value());
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{9, 8, 7}));
}

TEST(ApplicationWrite, RefusesLengthsTheMessageLayerCannotStore) {
  constexpr std::size_t limit = (std::size_t{1} << 29U) - 1;
  struct Length {
    const char* what;
    bool accepted;
    bool storable;
  };
  const std::vector<Length> lengths{
      {"empty text", check_text_size(0).has_value(), true},
      {"longest text", check_text_size(limit - 1).has_value(), true},
      {"text one byte too long", check_text_size(limit).has_value(), false},
      {"longest data", check_data_size(limit).has_value(), true},
      {"data one byte too long", check_data_size(limit + 1).has_value(), false},
      {"data beyond 32 bits", check_data_size(std::size_t{1} << 32U).has_value(), false},
      {"longest list of numbers", check_list_size(limit, 4).has_value(), true},
      {"list of 2^29 numbers", check_list_size(limit + 1, 4).has_value(), false},
      {"list that wraps at 32 bits", check_list_size((std::size_t{1} << 32U) + 1, 4).has_value(), false},
      {"largest list of one-word structures", check_list_size(limit - 1, 8).has_value(), true},
      {"list of one-word structures without room for its tag", check_list_size(limit, 8).has_value(), false},
      {"list of structures too large for a segment", check_list_size(limit / 7 + 1, 56).has_value(), false},
  };
  for (const auto& length : lengths) {
    EXPECT_EQ(length.accepted, length.storable) << length.what;
  }
  EXPECT_EQ(*check_text_size(limit).error().invalid_message(), "text of 536870911 bytes is too large to store");
  EXPECT_EQ(*check_list_size(limit + 1, 4).error().invalid_message(),
            "list of 536870912 elements is too large to store");
}

}  // namespace
}  // namespace zor
