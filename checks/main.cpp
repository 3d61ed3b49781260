// The check program: hands its table of checks to the unit-test runner.
#include "checks.hpp"

#include <gtest/gtest.h>

#include <array>

namespace {

class CheckTest : public testing::Test {
 public:
  explicit CheckTest(void (*body)()) : body_(body) {}
  void TestBody() override { body_(); }

 private:
  void (*body_)();
};

// Ordered by name, the order in which the runner lists them. Each check is
// defined beside its body; only addresses are taken here, so the table does
// not depend on the order in which other files are initialised.
const std::array<const zor::tests::Check*, 6> checks{
    &zor::tests::profile_round_trip,
    &zor::tests::randomized_profile_reports_use_adjacent_start_samples,
    &zor::tests::rejects_ambiguous_device_configuration,
    &zor::tests::rejects_implicit_host_batches,
    &zor::tests::rejects_overlapping_segments,
    &zor::tests::round_trip_and_reconstruct,
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  for (const auto* check : checks) {
    testing::RegisterTest("tests", check->name, nullptr, nullptr, check->file, check->line,
                          [body = check->body]() -> testing::Test* { return new CheckTest(body); });
  }
  return RUN_ALL_TESTS();
}
