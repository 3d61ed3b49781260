// Strict parsing of JSON text.
#pragma once

#include "json_encode.hpp"

#include <zor/package/error.hpp>

#include <cstddef>
#include <string_view>

namespace zorpkg {

// Documents of the model are a few levels deep; anything far deeper is
// refused before it costs memory.
inline constexpr std::size_t MAX_JSON_DEPTH = 64;

// Parses one JSON document. Malformed text, trailing content, a key that
// appears twice in one object and nesting deeper than MAX_JSON_DEPTH are
// Invalid errors; nothing is thrown.
[[nodiscard]] zor::Result<Json> parse_json(std::string_view text);

}  // namespace zorpkg
