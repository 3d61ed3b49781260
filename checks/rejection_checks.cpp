// Checks that validation turns away broken input. They look only at whether
// an error came back, not at which one.
#include "checks.hpp"

#include <zor/package/validate.hpp>

#include <gtest/gtest.h>

#include <cstdint>
#include <span>

namespace zor::tests {
namespace {

void overlapping_segments() {
  Application application = sample();
  TileImage& tile = application.tiles.front();
  tile.segments.push_back(tile.segments.front());

  EXPECT_FALSE(application.validate().has_value())
      << "validation was expected to reject a tile with two segments over the same memory";
}

}  // namespace

const Check rejects_overlapping_segments{"rejects_overlapping_segments", &overlapping_segments, __FILE__, __LINE__};

namespace {

void ambiguous_device_configuration() {
  Application application = sample();
  application.device_config_writes = {DeviceConfigWrite{.offset = 4, .value = 1},
                                      DeviceConfigWrite{.offset = 4, .value = 2}};

  EXPECT_FALSE(application.validate().has_value())
      << "validation was expected to reject two device configuration writes to offset 4";
}

}  // namespace

const Check rejects_ambiguous_device_configuration{"rejects_ambiguous_device_configuration",
                                                   &ambiguous_device_configuration, __FILE__, __LINE__};

namespace {

void implicit_host_batches() {
  const HostCall call{.name = "explicit-batches",
                      .command = 0,
                      .phases = 0,
                      .inputs = {},
                      .outputs = {},
                      .invocations = 1,
                      .input_batch_ends = {},
                      .output_batch_ends = {}};
  const std::span<const std::uint32_t> no_ends;

  ASSERT_FALSE(validate_host_batch_ends(call, "input", no_ends, 1).has_value())
      << "no input batch ends over 1 slice were expected to be rejected";
  ASSERT_FALSE(validate_host_batch_ends(call, "output", no_ends, 1).has_value())
      << "no output batch ends over 1 slice were expected to be rejected";
  const auto without_slices = validate_host_batch_ends(call, "input", no_ends, 0);
  ASSERT_TRUE(without_slices.has_value())
      << "no input batch ends over 0 slices were expected to be accepted, got " << without_slices.error();
}

}  // namespace

const Check rejects_implicit_host_batches{"rejects_implicit_host_batches", &implicit_host_batches, __FILE__, __LINE__};

}  // namespace zor::tests
