// Well-formedness of UTF-8 text read from messages.
#pragma once

#include <zor/package/error.hpp>

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zor {

// The first fault of `bytes` as UTF-8, or nothing when they are well formed.
// Overlong forms, surrogates and values above U+10FFFF are faults. The
// reported length is that of the longest prefix of a valid sequence found at
// the fault (at least 1); it is absent when the bytes end inside a sequence
// that further bytes could still complete.
[[nodiscard]] std::optional<Utf8Error> find_utf8_error(std::span<const std::uint8_t> bytes) noexcept;

// `bytes` as an owned text, when they are well-formed UTF-8.
[[nodiscard]] Result<std::string> decode_utf8(std::span<const std::uint8_t> bytes);

}  // namespace zor
