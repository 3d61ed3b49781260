// zorpkg end to end: deriving and showing profile reports.
#include "cli_fixture.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace zorpkg::cli_test {
namespace {

using testing::HasSubstr;

class ProfileTest : public ZorpkgTest {
 protected:
  void SetUp() override {
    ZorpkgTest::SetUp();
    package_ = write_package("profiled.pkg", profiled_application());
    const auto output = profiled_run_output();
    run_output_ = write_file("run.bin", std::string(output.begin(), output.end()));
  }

  // Derives the report of the run at 1 MHz into report.bin.
  std::string derive_report() {
    const auto profiled = run({"profile", package_, "--runtime-output", run_output_, "--clock-hz", "1000000", "-o",
                               path("report.bin")});
    EXPECT_EQ(profiled.status, 0) << profiled.err;
    EXPECT_EQ(profiled.out, "");
    return path("report.bin");
  }

  std::string package_;
  std::string run_output_;
};

TEST_F(ProfileTest, ProfileShowPrintsPerTileTables) {
  const auto shown = run({"profile-show", derive_report()});
  EXPECT_EQ(shown.status, 0) << shown.err;
  EXPECT_EQ(shown.out,
            "clock: 1000000 Hz\n"
            "tile  steps  cycles  time (us)\n"
            "   0      2     300    300.000\n"
            "longest steps (up to 3 per tile):\n"
            "tile  step  kind      operation  kernel   cycles  time (us)\n"
            "   0     0  Compute   matmul     kernel0     150    150.000\n"
            "   0     1  Exchange  gather     kernel1     150    150.000\n");
}

TEST_F(ProfileTest, ProfileShowPrintsJsonAndWritesTraces) {
  const auto report = derive_report();
  const auto json = run({"profile-show", report, "--json"});
  ASSERT_EQ(json.status, 0) << json.err;
  const auto document = nlohmann::json::parse(json.out);
  EXPECT_EQ(document["clock_hz"], 1000000);
  const auto& samples = document["tiles"][0]["samples"];
  ASSERT_EQ(samples.size(), 2U);
  EXPECT_EQ(samples[1]["start_cycle"], 250);
  EXPECT_EQ(samples[1]["end_cycle"], 400);
  EXPECT_EQ(samples[1]["step"]["operation"], "gather");

  const auto traced = run({"profile-show", report, "--chrome-trace", path("trace.json")});
  ASSERT_EQ(traced.status, 0) << traced.err;
  EXPECT_THAT(traced.out, testing::StartsWith("clock: 1000000 Hz\n"));
  const auto trace = nlohmann::json::parse(read_file(path("trace.json")));
  const auto& events = trace["traceEvents"];
  ASSERT_EQ(events.size(), 3U);
  EXPECT_EQ(events[2]["name"], "gather");
  EXPECT_DOUBLE_EQ(events[2]["ts"].get<double>(), 250.0);
  EXPECT_DOUBLE_EQ(events[2]["dur"].get<double>(), 150.0);

  const auto json_and_trace = run({"profile-show", report, "--json", "--chrome-trace", path("trace2.json")});
  ASSERT_EQ(json_and_trace.status, 0) << json_and_trace.err;
  EXPECT_EQ(json_and_trace.out, json.out);
  EXPECT_EQ(read_file(path("trace2.json")), read_file(path("trace.json")));

  const auto trace_only = run({"profile-show", report, "--chrome-trace", "-"});
  ASSERT_EQ(trace_only.status, 0) << trace_only.err;
  EXPECT_EQ(nlohmann::json::parse(trace_only.out), trace);
}

TEST_F(ProfileTest, ProfileReadsTheRunOutputFromStandardInput) {
  const auto output = profiled_run_output();
  const auto profiled = run({"profile", package_, "--runtime-output", "-", "--clock-hz", "1000000", "-o", "-"},
                            std::string(output.begin(), output.end()));
  ASSERT_EQ(profiled.status, 0) << profiled.err;
  EXPECT_EQ(profiled.out, read_file(derive_report()));
}

TEST_F(ProfileTest, RejectedRunsLeaveNoReport) {
  const auto output = profiled_run_output();
  const auto short_run = write_file("short.bin", std::string(output.begin(), output.end() - 1));
  const auto rejected = run({"profile", package_, "--runtime-output", short_run, "--clock-hz", "1000000", "-o",
                             path("report.bin")});
  EXPECT_EQ(rejected.status, 1);
  EXPECT_EQ(rejected.err, "zorpkg: error: profile binding exceeds runtime output\n");

  const auto unprofiled = write_package("sample.pkg", exchange_application());
  const auto no_binding = run({"profile", unprofiled, "--runtime-output", run_output_, "--clock-hz", "1000000",
                               "-o", path("report.bin")});
  EXPECT_EQ(no_binding.status, 1);
  EXPECT_EQ(no_binding.err, "zorpkg: error: application has no cycle profile binding\n");
  EXPECT_FALSE(exists("report.bin"));

  const auto not_a_report = run({"profile-show", write_file("garbage.bin", "not a report")});
  EXPECT_EQ(not_a_report.status, 1);
  EXPECT_THAT(not_a_report.err, testing::StartsWith("zorpkg: error: capnp: "));
}

}  // namespace
}  // namespace zorpkg::cli_test
