// The subcommands of zorpkg. Each reads its inputs, does its work and
// writes its outputs; output files appear whole or not at all.
#pragma once

#include "command_io.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace zorpkg {

// Prints a short summary of the package.
[[nodiscard]] CommandResult<void> run_info(const std::string& package);

// Reads every package and prints "PACKAGE: ok" or "PACKAGE: error: ..." for
// each. True when all are ok; an error only when printing fails.
[[nodiscard]] CommandResult<bool> run_validate(const std::vector<std::string>& packages);

// Prints the package as JSON.
[[nodiscard]] CommandResult<void> run_dump(const std::string& package);

// Builds an application from JSON and writes it as a package.
[[nodiscard]] CommandResult<void> run_pack(const std::string& json, const std::string& output);

// Writes the rebuilt memory image of one tile and reports its load base and
// size, on standard error when the image itself goes to standard output.
[[nodiscard]] CommandResult<void> run_tile_image(const std::string& package, std::uint32_t tile,
                                                 const std::string& output);

// Derives the profile report of a run from its output buffer and writes it.
[[nodiscard]] CommandResult<void> run_profile(const std::string& package, const std::string& runtime_output,
                                              std::uint64_t clock_hz, const std::string& report);

struct ProfileShowOptions {
  std::string report;
  // Print the report as JSON instead of tables.
  bool json;
  // Where to write a trace for trace viewers; empty for none. When it is
  // standard output, nothing else is printed.
  std::string chrome_trace;
};

[[nodiscard]] CommandResult<void> run_profile_show(const ProfileShowOptions& options);

}  // namespace zorpkg
