// Package rules that are also useful on their own.
#pragma once

#include <zor/package/model.hpp>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace zor {

// Checks one direction of a host call's batch ends against the number of
// slices they divide: the ends rise strictly from at least 1 and the last
// equals `slice_count`; no ends are accepted only when there are no slices.
// `direction` ("input" or "output") and the call's name go into the message.
[[nodiscard]] Result<void> validate_host_batch_ends(const HostCall& call, std::string_view direction,
                                                    std::span<const std::uint32_t> ends,
                                                    std::size_t slice_count);

}  // namespace zor
