#include "utf8.hpp"

namespace zor {
namespace {

struct LeadByte {
  std::size_t width;
  // Range allowed for the second byte; narrower than 0x80..0xbf after the
  // lead bytes that could otherwise start an overlong form, a surrogate or a
  // value above U+10FFFF.
  std::uint8_t second_min;
  std::uint8_t second_max;
};

constexpr std::uint8_t CONTINUATION_MIN = 0x80;
constexpr std::uint8_t CONTINUATION_MAX = 0xbf;

// Width 0 marks a byte that starts no sequence.
constexpr LeadByte lead_byte(std::uint8_t byte) noexcept {
  if (byte < 0x80) {
    return {1, 0, 0};
  }
  if (byte >= 0xc2 && byte <= 0xdf) {
    return {2, CONTINUATION_MIN, CONTINUATION_MAX};
  }
  if (byte == 0xe0) {
    return {3, 0xa0, CONTINUATION_MAX};
  }
  if (byte == 0xed) {
    return {3, CONTINUATION_MIN, 0x9f};
  }
  if (byte >= 0xe1 && byte <= 0xef) {
    return {3, CONTINUATION_MIN, CONTINUATION_MAX};
  }
  if (byte == 0xf0) {
    return {4, 0x90, CONTINUATION_MAX};
  }
  if (byte >= 0xf1 && byte <= 0xf3) {
    return {4, CONTINUATION_MIN, CONTINUATION_MAX};
  }
  if (byte == 0xf4) {
    return {4, CONTINUATION_MIN, 0x8f};
  }
  return {0, 0, 0};
}

}  // namespace

std::optional<Utf8Error> find_utf8_error(std::span<const std::uint8_t> bytes) noexcept {
  std::size_t start = 0;
  while (start < bytes.size()) {
    const LeadByte lead = lead_byte(bytes[start]);
    if (lead.width == 0) {
      return Utf8Error{.valid_up_to = start, .error_len = 1};
    }
    for (std::size_t offset = 1; offset < lead.width; ++offset) {
      if (start + offset == bytes.size()) {
        return Utf8Error{.valid_up_to = start, .error_len = std::nullopt};
      }
      const std::uint8_t byte = bytes[start + offset];
      const std::uint8_t min = offset == 1 ? lead.second_min : CONTINUATION_MIN;
      const std::uint8_t max = offset == 1 ? lead.second_max : CONTINUATION_MAX;
      if (byte < min || byte > max) {
        return Utf8Error{.valid_up_to = start, .error_len = offset};
      }
    }
    start += lead.width;
  }
  return std::nullopt;
}

Result<std::string> decode_utf8(std::span<const std::uint8_t> bytes) {
  if (auto error = find_utf8_error(bytes)) {
    return std::unexpected(PackageError(*error));
  }
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace zor
