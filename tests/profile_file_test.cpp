#include "support/full_application.hpp"
#include "support/message_bytes.hpp"
#include "support/written.hpp"

#include <zor/package/debug_text.hpp>
#include <zor/package/model.hpp>

#include <gtest/gtest.h>

#include "profile.capnp.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zor {
namespace {

using test_support::composite_tag;
using test_support::ElementSize;
using test_support::framed;
using test_support::full_profile_report;
using test_support::list_pointer;
using test_support::struct_pointer;
using Root = schema::Profile::Builder;

std::vector<std::uint8_t> edited_file(const std::function<void(Root)>& edit) {
  return test_support::edited<schema::Profile>(test_support::written(full_profile_report()), edit);
}

TEST(ProfileFile, AnEmptyReportIsFortyEightFixedBytes) {
  const ProfileReport empty{.clock_hz = 1500000000, .tiles = {}};
  const auto bytes = test_support::written(empty);
  const std::vector<std::uint8_t> expected{
      0x00, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00,
      0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2f, 0x68, 0x59, 0x00, 0x00, 0x00, 0x00,
      0x01, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00,
  };
  EXPECT_EQ(bytes, expected);
  const auto read = ProfileReport::read(bytes);
  ASSERT_TRUE(read.has_value()) << read.error();
  EXPECT_EQ(*read, empty);
}

TEST(ProfileFile, ReadsBackTheFirstReportAfterAnyPrefix) {
  const ProfileReport first = full_profile_report();
  const ProfileReport second{.clock_hz = 1, .tiles = {}};
  std::vector<std::uint8_t> bytes{0x42};
  ASSERT_TRUE(first.write(bytes).has_value());
  ASSERT_TRUE(second.write(bytes).has_value());
  EXPECT_EQ(bytes.front(), 0x42);
  const auto read = ProfileReport::read(std::span(bytes).subspan(1));
  ASSERT_TRUE(read.has_value()) << read.error();
  EXPECT_EQ(*read, first);
  EXPECT_EQ(test_support::written(first), test_support::written(first));
}

TEST(ProfileFile, ReadsVersionsOneToFiveOnly) {
  for (std::uint32_t version = 0; version <= 6; ++version) {
    const auto read = ProfileReport::read(edited_file([&](Root root) { root.setSchemaVersion(version); }));
    if (version >= 1 && version <= 5) {
      ASSERT_TRUE(read.has_value()) << version << ": " << read.error();
      EXPECT_EQ(*read, full_profile_report());
    } else {
      ASSERT_FALSE(read.has_value()) << version;
      ASSERT_EQ(read.error().kind(), PackageError::Kind::Invalid) << read.error();
      EXPECT_EQ(*read.error().invalid_message(), "unsupported profile schema version " + std::to_string(version));
    }
  }
}

TEST(ProfileFile, ANullRootHasVersionZeroAndANullStepReadsAsTheDefaultStep) {
  const auto null_root = ProfileReport::read(framed({0}));
  ASSERT_FALSE(null_root.has_value());
  ASSERT_EQ(null_root.error().kind(), PackageError::Kind::Invalid) << null_root.error();
  EXPECT_EQ(*null_root.error().invalid_message(), "unsupported profile schema version 0");

  const auto read =
      ProfileReport::read(edited_file([](Root root) { root.getTiles()[0].getSamples()[0].disownStep(); }));
  ASSERT_TRUE(read.has_value()) << read.error();
  ProfileReport expected = full_profile_report();
  expected.tiles[0].samples[0].step = test_support::empty_profile_step(0, ProfileStepKind::Exchange);
  EXPECT_EQ(*read, expected);
}

TEST(ProfileFile, RefusesFaultyAndHostileFiles) {
  const std::uint64_t version_5 = 5;
  struct Refused {
    const char* what;
    std::vector<std::uint8_t> bytes;
    PackageError::Kind kind;
    std::string debug_text;
  };
  const std::vector<Refused> files{
      {"step kind 4",
       edited_file([](Root root) {
         root.getTiles()[0].getSamples()[1].getStep().setKind(static_cast<schema::StepKind>(4));
       }),
       PackageError::Kind::SchemaEnum, "SchemaEnum(4)"},
      {"exchange activity kind 3",
       edited_file([](Root root) {
         root.getTiles()[0].getSamples()[0].getStep().getExchangeActivities()[1].setKind(
             static_cast<schema::ExchangeActivityKind>(3));
       }),
       PackageError::Kind::SchemaEnum, "SchemaEnum(3)"},
      {"metadata value not UTF-8",
       edited_file([](Root root) {
         root.getTiles()[0].getSamples()[0].getStep().getMetadata()[1].setValue(capnp::Text::Reader("ok\xc0", 3));
       }),
       PackageError::Kind::Utf8, "Utf8(Utf8Error { valid_up_to: 2, error_len: 1 })"},
      {"empty", {}, PackageError::Kind::Capnp, ""},
      {"one segment of 2^32 - 1 words", {0, 0, 0, 0, 0xff, 0xff, 0xff, 0xff, 0, 0, 0, 0, 0, 0, 0, 0},
       PackageError::Kind::Capnp, ""},
      {"2^29 - 1 zero-sized tiles",
       framed({struct_pointer(0, 2, 1), version_5, 0, list_pointer(0, ElementSize::Composite, 0),
               composite_tag((1U << 29U) - 1, 0, 0)}),
       PackageError::Kind::Capnp, ""},
      {"step pointer to a list",
       edited_file([](Root root) {
         capnp::toAny(root.getTiles()[0].getSamples()[0]).getPointerSection()[0].initAs<capnp::List<std::uint32_t>>(2);
       }),
       PackageError::Kind::Capnp, ""},
  };
  for (const auto& file : files) {
    const auto read = ProfileReport::read(file.bytes);
    ASSERT_FALSE(read.has_value()) << file.what;
    EXPECT_EQ(read.error().kind(), file.kind) << file.what << ": " << read.error();
    if (!file.debug_text.empty()) {
      EXPECT_EQ(read.error().debug_text(), file.debug_text) << file.what;
    }
  }
  const auto bytes = test_support::written(full_profile_report());
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    const auto read = ProfileReport::read(std::span(bytes).first(length));
    ASSERT_FALSE(read.has_value()) << length;
    EXPECT_EQ(read.error().kind(), PackageError::Kind::Capnp) << length << ": " << read.error();
  }
}

}  // namespace
}  // namespace zor
