#include <zor/package/error.hpp>

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <type_traits>

namespace zor {
namespace {

static_assert(std::is_nothrow_move_constructible_v<PackageError>);
static_assert(!std::is_copy_constructible_v<PackageError>);
static_assert(!std::is_default_constructible_v<PackageError>);
static_assert(!std::equality_comparable<PackageError>);

TEST(PackageError, InvalidDebugTextAndDescription) {
  const auto error = PackageError::invalid("application has no tiles");
  EXPECT_EQ(error.kind(), PackageError::Kind::Invalid);
  ASSERT_NE(error.invalid_message(), nullptr);
  EXPECT_EQ(*error.invalid_message(), "application has no tiles");
  EXPECT_EQ(error.debug_text(), "Invalid(\"application has no tiles\")");
  EXPECT_EQ(fmt::format("{}", error), "Invalid(\"application has no tiles\")");
  EXPECT_EQ(error.description(), "application has no tiles");
  EXPECT_EQ(error.capnp(), nullptr);
  EXPECT_EQ(error.utf8(), nullptr);
}

TEST(PackageError, LowerLayerErrorsConvertImplicitlyAndKeepTheirPayload) {
  const Result<int> capnp = std::unexpected<PackageError>(
      kj::Exception(kj::Exception::Type::FAILED, __FILE__, __LINE__, kj::str("message ends early")));
  ASSERT_EQ(capnp.error().kind(), PackageError::Kind::Capnp);
  EXPECT_EQ(capnp.error().capnp()->getDescription(), "message ends early");
  EXPECT_EQ(capnp.error().description(), "capnp: message ends early");
  EXPECT_EQ(capnp.error().debug_text(), "Capnp(Exception { type: failed, description: \"message ends early\" })");

  const PackageError utf8 = Utf8Error{.valid_up_to = 3, .error_len = 1};
  ASSERT_EQ(utf8.kind(), PackageError::Kind::Utf8);
  EXPECT_EQ(*utf8.utf8(), (Utf8Error{.valid_up_to = 3, .error_len = 1}));
  EXPECT_EQ(utf8.debug_text(), "Utf8(Utf8Error { valid_up_to: 3, error_len: 1 })");
  EXPECT_EQ(utf8.description(), "utf-8: invalid sequence of 1 bytes after 3 valid bytes");

  const PackageError truncated = Utf8Error{.valid_up_to = 2, .error_len = std::nullopt};
  EXPECT_EQ(truncated.debug_text(), "Utf8(Utf8Error { valid_up_to: 2, error_len: none })");
  EXPECT_EQ(truncated.description(), "utf-8: incomplete sequence at the end after 2 valid bytes");

  const PackageError schema_enum = SchemaEnumError{.value = 4};
  ASSERT_EQ(schema_enum.kind(), PackageError::Kind::SchemaEnum);
  EXPECT_EQ(schema_enum.schema_enum()->value, 4);
  EXPECT_EQ(schema_enum.debug_text(), "SchemaEnum(4)");
  EXPECT_EQ(schema_enum.description(), "schema enum: value 4 is not in the schema");
}

TEST(PackageError, Io) {
  const auto error = PackageError::io(std::make_error_code(std::errc::no_such_file_or_directory));
  ASSERT_EQ(error.kind(), PackageError::Kind::Io);
  EXPECT_EQ(*error.io_error(), std::errc::no_such_file_or_directory);
  EXPECT_EQ(error.description(), "i/o: No such file or directory");
  EXPECT_EQ(error.debug_text(), "Io(generic:2 \"No such file or directory\")");
}

TEST(PackageError, MovesKeepThePayload) {
  auto error = PackageError::invalid("first");
  PackageError moved = std::move(error);
  EXPECT_EQ(moved.description(), "first");
  moved = PackageError::invalid("second");
  EXPECT_EQ(moved.description(), "second");
}

}  // namespace
}  // namespace zor
