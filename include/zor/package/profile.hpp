// Helpers of cycle-profile derivation.
#pragma once

#include <zor/package/model.hpp>

#include <cstdint>

namespace zor {

// The byte size of a binding on the host side: the highest
// `file_offset + size` over its slices, saturating at 2^64 - 1; 0 without
// slices.
[[nodiscard]] std::uint64_t binding_size(const Binding& binding) noexcept;

}  // namespace zor
