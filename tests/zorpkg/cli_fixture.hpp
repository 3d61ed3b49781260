// Runs the built zorpkg in a scratch directory, and builds the packages the
// end-to-end tests feed it.
#pragma once

#include <zor/package/model.hpp>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zorpkg::cli_test {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

// The check program's sample (tile 0 with one 8-byte segment at 0x4c000 of
// which 01 02 03 04 are stored) with bindings of every kind, host pages and a host call, an
// entry point, a config write and debug entries.
zor::Application exchange_application();
// The sample with an ordinary output, the "profile.cycles" output and a
// two-step profile plan for tile 0.
zor::Application profiled_application();
// A run's output buffer for profiled_application: 16 bytes of the ordinary
// output, then the counters 100, 250 and 400.
std::vector<std::uint8_t> profiled_run_output();

class ZorpkgTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs zorpkg with `arguments`, feeding `input` on standard input.
  static Outcome run(const std::vector<std::string>& arguments, std::string_view input = {});

  // The absolute name of `name` in the scratch directory.
  [[nodiscard]] std::string path(std::string_view name) const;
  [[nodiscard]] std::string write_file(std::string_view name, std::string_view bytes) const;
  [[nodiscard]] std::string write_package(std::string_view name, const zor::Application& application) const;
  [[nodiscard]] bool exists(std::string_view name) const;
  // The names in the scratch directory, sorted.
  [[nodiscard]] std::vector<std::string> files() const;

  static std::string read_file(const std::string& file);
  static std::string bytes_of(const zor::Application& application);

 private:
  std::filesystem::path directory_;
};

}  // namespace zorpkg::cli_test
