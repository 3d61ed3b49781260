// Helpers of the code that checks values taken from packages and runtime
// buffers, which may hold anything.
#pragma once

#include <zor/package/error.hpp>

#include <concepts>
#include <expected>
#include <limits>
#include <optional>
#include <string>
#include <utility>

namespace zor {

// A broken rule, ready to be returned as any Result.
inline std::unexpected<PackageError> invalid(std::string message) {
  return std::unexpected(PackageError::invalid(std::move(message)));
}

// The first position past [start, start + size), or nothing when that does
// not fit in the width of the start.
template <std::unsigned_integral T>
std::optional<T> range_end(T start, T size) noexcept {
  if (size > std::numeric_limits<T>::max() - start) {
    return std::nullopt;
  }
  return static_cast<T>(start + size);
}

}  // namespace zor
