#include "support/random_application.hpp"

#include <zor/package/debug_text.hpp>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace zor {
namespace {

constexpr std::uint64_t RUNS = 1000;

TEST(RandomApplication, EveryApplicationIsValid) {
  for (std::uint64_t seed = 0; seed < RUNS; ++seed) {
    const auto application = test_support::random_application(seed);
    const auto valid = application.validate();
    ASSERT_TRUE(valid) << "seed " << seed << ": " << valid.error() << "\n" << application;
  }
}

// A generator that stopped filling some list would leave that list out of
// every round trip below without anyone noticing.
TEST(RandomApplication, EveryListIsFilledSomewhere) {
  Application seen;
  for (std::uint64_t seed = 0; seed < RUNS; ++seed) {
    auto application = test_support::random_application(seed);
    const auto keep = [](auto& into, auto& from) {
      if (into.empty()) {
        into = std::move(from);
      }
    };
    keep(seen.inputs, application.inputs);
    keep(seen.outputs, application.outputs);
    keep(seen.weights, application.weights);
    keep(seen.host_exchange.pages, application.host_exchange.pages);
    keep(seen.host_exchange.attach_order, application.host_exchange.attach_order);
    keep(seen.host_exchange.calls, application.host_exchange.calls);
    keep(seen.entry_points, application.entry_points);
    keep(seen.device_config_writes, application.device_config_writes);
    keep(seen.profile_tiles, application.profile_tiles);
    keep(seen.debug_symbols, application.debug_symbols);
    keep(seen.debug_regions, application.debug_regions);
  }
  EXPECT_FALSE(seen.inputs.empty());
  EXPECT_FALSE(seen.outputs.empty());
  EXPECT_FALSE(seen.weights.empty());
  EXPECT_FALSE(seen.host_exchange.pages.empty());
  EXPECT_FALSE(seen.host_exchange.attach_order.empty());
  EXPECT_FALSE(seen.host_exchange.calls.empty());
  EXPECT_FALSE(seen.entry_points.empty());
  EXPECT_FALSE(seen.device_config_writes.empty());
  EXPECT_FALSE(seen.profile_tiles.empty());
  EXPECT_FALSE(seen.debug_symbols.empty());
  EXPECT_FALSE(seen.debug_regions.empty());
}

TEST(RandomApplication, WritesReproduciblyAndReadsBackEqual) {
  for (std::uint64_t seed = 0; seed < RUNS; ++seed) {
    const auto application = test_support::random_application(seed);
    std::vector<std::uint8_t> first;
    const auto written = application.write(first);
    ASSERT_TRUE(written) << "seed " << seed << ": " << written.error();

    std::vector<std::uint8_t> second;
    ASSERT_TRUE(application.write(second)) << "seed " << seed;
    ASSERT_EQ(first, second) << "seed " << seed;

    const auto read = Application::read(first);
    ASSERT_TRUE(read) << "seed " << seed << ": " << read.error();
    ASSERT_EQ(*read, application) << "seed " << seed;
  }
}

}  // namespace
}  // namespace zor
