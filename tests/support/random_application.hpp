// A seeded source of random valid applications for property tests of the
// package format. Every list of the model is filled now and then, and values
// lean towards the edges the package rules allow: empty and multi-byte texts,
// unsigned maxima, segments that touch or reach the end of the tile memory
// window, host calls invoked 2^32 - 1 times, debug regions of no single tile.
#pragma once

#include <zor/package/model.hpp>

#include <cstdint>

namespace zor::test_support {

// The same seed always gives the same application.
[[nodiscard]] Application random_application(std::uint64_t seed);

}  // namespace zor::test_support
