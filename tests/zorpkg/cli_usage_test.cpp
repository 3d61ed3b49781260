// zorpkg end to end: the command line itself.
#include "cli_fixture.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zorpkg::cli_test {
namespace {

using testing::HasSubstr;

TEST_F(ZorpkgTest, UsageErrorsExitWithTwo) {
  const auto report = path("r.bin");
  const std::vector<std::vector<std::string>> cases{
      {},
      {"frobnicate"},
      {"info"},
      {"info", "a.pkg", "--bogus"},
      {"pack", "in.json"},
      {"tile-image", "a.pkg", "--tile", "zero", "-o", "x"},
      {"tile-image", "a.pkg", "--tile", "-1", "-o", "x"},
      {"tile-image", "a.pkg", "--tile", "4294967296", "-o", "x"},
      {"profile", "a.pkg", "--runtime-output", "b", "--clock-hz", "0", "-o", report},
      {"profile", "-", "--runtime-output", "-", "--clock-hz", "1", "-o", report},
      {"validate", "-", "-"},
      {"profile-show", report, "--json", "--chrome-trace", "-"},
  };
  for (const auto& arguments : cases) {
    const auto outcome = run(arguments);
    EXPECT_EQ(outcome.status, 2) << testing::PrintToString(arguments) << outcome.err;
    EXPECT_THAT(outcome.err, testing::StartsWith("zorpkg: error: ")) << testing::PrintToString(arguments);
    EXPECT_EQ(outcome.out, "");
  }
}

TEST_F(ZorpkgTest, EverySubcommandExplainsItself) {
  const auto help = run({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* command : {"info", "validate", "dump", "pack", "tile-image", "profile", "profile-show"}) {
    EXPECT_THAT(help.out, HasSubstr(command));
    const auto own = run({command, "--help"});
    EXPECT_EQ(own.status, 0) << command;
    EXPECT_THAT(own.out, HasSubstr("Usage:")) << command;
  }
  EXPECT_THAT(run({"profile-show", "--help"}).out, HasSubstr("--chrome-trace"));

  const auto version = run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "zorpkg " ZORPKG_VERSION "\n");
}

}  // namespace
}  // namespace zorpkg::cli_test
