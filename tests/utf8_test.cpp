#include "utf8.hpp"

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <vector>

namespace zor {
namespace {

struct Utf8Case {
  const char* what;
  std::vector<std::uint8_t> bytes;
  std::optional<Utf8Error> expected;
};

Utf8Error invalid(std::size_t valid_up_to, std::size_t error_len) {
  return Utf8Error{.valid_up_to = valid_up_to, .error_len = error_len};
}

Utf8Error incomplete(std::size_t valid_up_to) {
  return Utf8Error{.valid_up_to = valid_up_to, .error_len = std::nullopt};
}

TEST(Utf8, FindsTheFirstFaultWithTheLengthOfItsMaximalValidPrefix) {
  const std::vector<Utf8Case> cases{
      {"empty", {}, std::nullopt},
      {"ascii and nul", {'a', 0x00, 'z'}, std::nullopt},
      {"every width at its bounds",
       {0x7f, 0xc2, 0x80, 0xdf, 0xbf, 0xe0, 0xa0, 0x80, 0xed, 0x9f, 0xbf, 0xee, 0x80, 0x80, 0xf0, 0x90, 0x80, 0x80,
        0xf4, 0x8f, 0xbf, 0xbf},
       std::nullopt},
      {"lone continuation after text", {'a', 0x80}, invalid(1, 1)},
      {"overlong two-byte lead", {0xc0, 0x80}, invalid(0, 1)},
      {"overlong three-byte form", {0xe0, 0x9f, 0xbf}, invalid(0, 1)},
      {"overlong four-byte form", {0xf0, 0x8f, 0xbf, 0xbf}, invalid(0, 1)},
      {"surrogate", {0xed, 0xa0, 0x80}, invalid(0, 1)},
      {"above U+10FFFF", {0xf4, 0x90, 0x80, 0x80}, invalid(0, 1)},
      {"lead byte that starts nothing", {0xf5, 0x80, 0x80, 0x80}, invalid(0, 1)},
      {"byte 0xff", {'x', 'y', 0xff}, invalid(2, 1)},
      {"two-byte sequence broken at the second byte", {0xc3, 'A'}, invalid(0, 1)},
      {"three-byte sequence broken at the third byte", {0xe2, 0x82, 'A'}, invalid(0, 2)},
      {"four-byte sequence broken at the fourth byte", {'x', 0xf0, 0x9d, 0x84, 'A'}, invalid(1, 3)},
      {"ends inside a two-byte sequence", {0xc3, 0xa9, 0xc3}, incomplete(2)},
      {"ends inside a three-byte sequence", {'a', 'b', 0xe2, 0x82}, incomplete(2)},
      {"ends inside a four-byte sequence", {0xf0, 0x9d, 0x84}, incomplete(0)},
      {"ends after a second byte no sequence allows", {0xe0, 0x80}, invalid(0, 1)},
      {"ends after a surrogate's second byte", {0xed, 0xa0}, invalid(0, 1)},
      {"fault after valid multi-byte text", {'x', 0xf0, 0x9d, 0x84, 0x9e, 'y', 0xc3, 0x28}, invalid(6, 1)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(find_utf8_error(c.bytes), c.expected) << c.what;
  }
}

TEST(Utf8, DecodesWellFormedBytesAndReportsFaultsAsUtf8Errors) {
  const std::vector<std::uint8_t> text{'z', 0x00, 0xc3, 0xb8};
  const auto decoded = decode_utf8(text);
  ASSERT_TRUE(decoded.has_value()) << decoded.error();
  EXPECT_EQ(*decoded, std::string("z\0\xc3\xb8", 4));

  const std::vector<std::uint8_t> broken{'o', 'k', 0xe2, 0x82};
  const auto failed = decode_utf8(broken);
  ASSERT_FALSE(failed.has_value());
  ASSERT_EQ(failed.error().kind(), PackageError::Kind::Utf8);
  EXPECT_EQ(*failed.error().utf8(), incomplete(2));
}

}  // namespace
}  // namespace zor
