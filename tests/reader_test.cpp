#include "support/capture_sink.hpp"
#include "support/full_application.hpp"
#include "support/message_bytes.hpp"
#include "support/written.hpp"

#include <zor/package/debug_text.hpp>
#include <zor/package/model.hpp>

#include <gtest/gtest.h>

#include "application.capnp.h"

#include <capnp/any.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zor {
namespace {

using test_support::composite_tag;
using test_support::ElementSize;
using test_support::framed;
using test_support::full_application;
using test_support::list_pointer;
using test_support::struct_pointer;
using Root = schema::Application::Builder;

// The package of `application` after `edit` has changed its message.
std::vector<std::uint8_t> edited_package(const Application& application,
                                         const std::function<void(schema::Application::Builder)>& edit) {
  return test_support::edited<schema::Application>(test_support::written(application), edit);
}

capnp::Text::Reader raw_text(const std::string& bytes) { return {bytes.data(), bytes.size()}; }

// One tile without segments, every list empty.
Application minimal_application() {
  Application application;
  application.tiles.push_back(full_application().tiles.back());
  return application;
}

TEST(ApplicationRead, ReadsBackWhatWasWrittenAndLogsBothEvents) {
  for (const auto& application : {full_application(), minimal_application()}) {
    const auto bytes = test_support::written(application);
    const test_support::ScopedCapture capture;
    const auto read = Application::read(bytes);
    ASSERT_TRUE(read.has_value()) << read.error();
    EXPECT_EQ(*read, application);
    const std::vector<test_support::CapturedEvent> expected{
        {log::Level::Info, "zor_package", "reading application package", {}},
        {log::Level::Info,
         "zor_package",
         "application package read",
         {{"tiles", std::to_string(application.tiles.size())}, {"compiler", application.compiler_version}}},
    };
    EXPECT_EQ(capture.sink().events(), expected);
  }
}

TEST(ApplicationRead, ReadsFromAnyAlignmentAndIgnoresBytesAfterTheMessage) {
  const auto application = full_application();
  const auto package = test_support::written(application);
  std::vector<std::uint8_t> bytes{0xaa, 0xbb, 0xcc};
  bytes.insert(bytes.end(), package.begin(), package.end());
  bytes.insert(bytes.end(), {0xff, 0xff, 0xff, 0xff, 0xff});
  const auto read = Application::read(std::span(bytes).subspan(3));
  ASSERT_TRUE(read.has_value()) << read.error();
  EXPECT_EQ(*read, application);
}

TEST(ApplicationRead, ReadsALargePackageSpreadOverSeveralSegments) {
  Application application = minimal_application();
  for (std::uint32_t index = 0; index < 20000; ++index) {
    application.debug_symbols.push_back(DebugSymbol{.name = "symbol " + std::to_string(index), .address = index});
    application.device_config_writes.push_back(DeviceConfigWrite{.offset = 4 * index, .value = index});
  }
  application.tiles.front().segments.push_back(Segment{
      .address = 0x4c000, .memory_size = TILE_MEMORY_SIZE, .data = std::vector<std::uint8_t>(TILE_MEMORY_SIZE, 0x5a),
      .flags = 0});
  const auto bytes = test_support::written(application);
  ASSERT_GT(bytes[0], 0) << "the package was expected to need more than one segment";
  const auto read = Application::read(bytes);
  ASSERT_TRUE(read.has_value()) << read.error();
  EXPECT_EQ(*read, application);
}

TEST(ApplicationRead, NullPointersReadAsDefaults) {
  const auto bytes = edited_package(minimal_application(), [](schema::Application::Builder root) {
    root.disownCompilerVersion();
    root.disownHostExchange();
    root.disownInputs();
    root.disownDebugRegions();
  });
  const auto read = Application::read(bytes);
  ASSERT_TRUE(read.has_value()) << read.error();
  Application expected = minimal_application();
  expected.compiler_version = "";
  EXPECT_EQ(*read, expected);
}

struct ReadFault {
  const char* what;
  std::function<void(schema::Application::Builder)> edit;
  PackageError::Kind kind;
  // The Invalid message, or the debug text of any other error.
  std::string detail;
};

TEST(ApplicationRead, ReportsTheFirstFaultInReadingOrder) {
  const std::string not_utf8 = "zor\xff" "1";
  const std::string header = "incompatible package header";
  const std::vector<ReadFault> faults{
      {"schema version 4", [](Root root) { root.setSchemaVersion(4); }, PackageError::Kind::Invalid, header},
      {"target differing in one byte", [](Root root) { root.setTarget("zor22"); }, PackageError::Kind::Invalid,
       header},
      {"target too short", [](Root root) { root.setTarget("zor2"); }, PackageError::Kind::Invalid, header},
      {"target too long", [](Root root) { root.setTarget("zor210"); }, PackageError::Kind::Invalid, header},
      {"tile memory base", [](Root root) { root.setTileMemoryBase(0x4c001); }, PackageError::Kind::Invalid, header},
      {"tile memory size", [](Root root) { root.setTileMemorySize(0x9b000); }, PackageError::Kind::Invalid, header},
      {"target not UTF-8", [&](Root root) { root.setTarget(raw_text(not_utf8)); }, PackageError::Kind::Utf8,
       "Utf8(Utf8Error { valid_up_to: 3, error_len: 1 })"},
      {"target not UTF-8 under a wrong version",
       [&](Root root) {
         root.setSchemaVersion(6);
         root.setTarget(raw_text(not_utf8));
       },
       PackageError::Kind::Invalid, header},
      {"compiler version not UTF-8 under a wrong header",
       [&](Root root) {
         root.setTileMemorySize(0);
         root.setCompilerVersion(raw_text(not_utf8));
       },
       PackageError::Kind::Invalid, header},
      {"compiler version not UTF-8", [&](Root root) { root.setCompilerVersion(raw_text("\xc3")); },
       PackageError::Kind::Utf8, "Utf8(Utf8Error { valid_up_to: 0, error_len: none })"},
      {"binding name not UTF-8 and a duplicate",
       [&](Root root) {
         root.getOutputs()[0].setName(raw_text("input\x80"));
         root.getInputs()[0].setName(raw_text("input\x80"));
       },
       PackageError::Kind::Utf8, "Utf8(Utf8Error { valid_up_to: 5, error_len: 1 })"},
      {"profile step kind 4",
       [](Root root) {
         root.getProfileTiles()[0].getSteps()[0].setKind(static_cast<schema::StepKind>(4));
       },
       PackageError::Kind::SchemaEnum, "SchemaEnum(4)"},
      {"profile step operation not UTF-8 before its kind 4",
       [&](Root root) {
         auto step = root.getProfileTiles()[0].getSteps()[1];
         step.setKind(static_cast<schema::StepKind>(4));
         step.setOperation(raw_text("\xed\xa0\x80"));
       },
       PackageError::Kind::Utf8, "Utf8(Utf8Error { valid_up_to: 0, error_len: 1 })"},
      {"exchange activity kind 3",
       [](Root root) {
         root.getProfileTiles()[0].getSteps()[0].getExchangeActivities()[2].setKind(
             static_cast<schema::ExchangeActivityKind>(3));
       },
       PackageError::Kind::SchemaEnum, "SchemaEnum(3)"},
      {"no tiles", [](Root root) { root.disownTiles(); }, PackageError::Kind::Invalid, "application has no tiles"},
      {"host call with no invocations",
       [](Root root) { root.getHostExchange().getCalls()[0].setInvocations(0); }, PackageError::Kind::Invalid,
       "host call load has no invocations"},
      {"tiles pointer to a structure",
       [](Root root) { capnp::toAny(root).getPointerSection()[2].initAs<schema::HostPage>(); },
       PackageError::Kind::Capnp, ""},
      {"segment data pointer to a structure",
       [](Root root) {
         capnp::toAny(root.getTiles()[0].getSegments()[0]).getPointerSection()[0].initAs<schema::HostPage>();
       },
       PackageError::Kind::Capnp, ""},
  };
  for (const auto& fault : faults) {
    const auto bytes = edited_package(full_application(), fault.edit);
    const test_support::ScopedCapture capture;
    const auto read = Application::read(bytes);
    ASSERT_FALSE(read.has_value()) << fault.what;
    EXPECT_EQ(read.error().kind(), fault.kind) << fault.what << ": " << read.error();
    if (fault.kind == PackageError::Kind::Invalid) {
      EXPECT_EQ(*read.error().invalid_message(), fault.detail) << fault.what;
    } else if (!fault.detail.empty()) {
      EXPECT_EQ(read.error().debug_text(), fault.detail) << fault.what;
    }
    EXPECT_EQ(capture.sink().messages(), std::vector<std::string>{"reading application package"}) << fault.what;
  }
}

TEST(ApplicationRead, HostCallInvocationsAreStoredRelativeToTheirDefault) {
  Application application = full_application();
  const auto bytes = edited_package(application, [](schema::Application::Builder root) {
    auto data = capnp::toAny(root.getHostExchange().getCalls()[1]).getDataSection();
    std::fill(data.begin() + 8, data.begin() + 12, 0);
  });
  const auto read = Application::read(bytes);
  ASSERT_TRUE(read.has_value()) << read.error();
  application.host_exchange.calls[1].invocations = 1;
  EXPECT_EQ(*read, application);
}

// A package whose inputs, outputs and weights point at one and the same list
// of `count` empty bindings: small, but each reading of the list traverses
// all of it again.
std::vector<std::uint8_t> shared_bindings(std::uint32_t count) {
  std::vector<std::uint64_t> words{
      struct_pointer(0, 2, 12),
      5 | std::uint64_t{TILE_MEMORY_BASE} << 32U,
      TILE_MEMORY_SIZE,
      0,
      list_pointer(10, ElementSize::Byte, 6),
      0,
      list_pointer(9, ElementSize::Composite, 4 * count),
      list_pointer(8, ElementSize::Composite, 4 * count),
      list_pointer(7, ElementSize::Composite, 4 * count),
      0, 0, 0, 0, 0, 0,
      test_support::bytes_word({'z', 'o', 'r', '2', '1', 0}),
      composite_tag(count, 0, 4),
  };
  words.resize(words.size() + 4 * std::size_t{count}, 0);
  return framed(words);
}

// Inputs that no writer produces. Each must fail as a message-layer error,
// quickly and without reading outside the input or allocating what it
// declares.
TEST(ApplicationRead, RefusesHostileInputCleanly) {
  const std::uint64_t zor21 = test_support::bytes_word({'z', 'o', 'r', '2', '1', 0});
  const std::uint64_t header_data = 5 | std::uint64_t{TILE_MEMORY_BASE} << 32U;
  // A small count of shared bindings reads (and fails validation): only
  // repetition beyond the size of the input is refused.
  const auto few_shared = Application::read(shared_bindings(4));
  ASSERT_FALSE(few_shared.has_value());
  EXPECT_EQ(few_shared.error().kind(), PackageError::Kind::Invalid) << few_shared.error();
  const std::vector<std::pair<const char*, std::vector<std::uint8_t>>> inputs{
      {"empty", {}},
      {"shorter than the segment count", {0, 0, 0}},
      {"segment table cut short", {1, 0, 0, 0, 1, 0, 0, 0}},
      {"one segment of 2^32 - 1 words", {0, 0, 0, 0, 0xff, 0xff, 0xff, 0xff, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"2^32 segments", {0xff, 0xff, 0xff, 0xff, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"two segments whose sizes together exceed the input",
       {1, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"no room for the root pointer", framed({})},
      {"root pointer out of bounds", framed({struct_pointer(100, 1, 0)})},
      {"three list pointers sharing one list of 1024 bindings", shared_bindings(1024)},
      {"2^29 - 1 zero-sized tiles",
       framed({struct_pointer(0, 2, 12), header_data, TILE_MEMORY_SIZE, 0, list_pointer(10, ElementSize::Byte, 6),
               list_pointer(10, ElementSize::Composite, 0), 0, 0, 0, 0, 0, 0, 0, 0, 0, zor21,
               composite_tag((1U << 29U) - 1, 0, 0)})},
  };
  for (const auto& [what, bytes] : inputs) {
    const auto read = Application::read(bytes);
    ASSERT_FALSE(read.has_value()) << what;
    EXPECT_EQ(read.error().kind(), PackageError::Kind::Capnp) << what << ": " << read.error();
  }
}

TEST(ApplicationRead, RefusesAPackageCutShortAnywhere) {
  const auto bytes = test_support::written(minimal_application());
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    const auto read = Application::read(std::span(bytes).first(length));
    ASSERT_FALSE(read.has_value()) << length;
    EXPECT_EQ(read.error().kind(), PackageError::Kind::Capnp) << length << ": " << read.error();
  }
}

TEST(ApplicationRead, ANullRootFailsTheHeaderCheck) {
  const auto read = Application::read(framed({0}));
  ASSERT_FALSE(read.has_value());
  ASSERT_EQ(read.error().kind(), PackageError::Kind::Invalid) << read.error();
  EXPECT_EQ(*read.error().invalid_message(), "incompatible package header");
}

}  // namespace
}  // namespace zor
