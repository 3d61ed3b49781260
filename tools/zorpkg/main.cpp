// zorpkg: inspects, converts and builds application packages and profile
// reports from the command line.
#include "commands.hpp"
#include "log_sink.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

// Exit statuses: 0 success, 1 an input was rejected or a file could not be
// read or written, 2 the command line itself is wrong.
constexpr int EXIT_REJECTED = 1;
constexpr int EXIT_USAGE = 2;

struct Options {
  int verbosity = 0;
  std::string package;
  std::vector<std::string> packages;
  std::string input;
  std::string output;
  std::uint32_t tile = 0;
  std::uint64_t clock_hz = 0;
  zorpkg::ProfileShowOptions show{.report = {}, .json = false, .chrome_trace = {}};
};

// Standard input can be read only once, and standard output holds only one
// document.
void check_standard_streams(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs) {
  const auto uses_stream = [](const std::vector<std::string>& names) {
    return std::ranges::count(names, std::string(zorpkg::STANDARD_STREAM));
  };
  if (uses_stream(inputs) > 1) {
    throw CLI::ValidationError("standard input (-) can be read only once");
  }
  if (uses_stream(outputs) > 1) {
    throw CLI::ValidationError("only one output can go to standard output (-)");
  }
}

void install_log_sink(int verbosity) {
  if (verbosity > 0) {
    const auto minimum = verbosity > 1 ? zor::log::Level::Trace : zor::log::Level::Debug;
    zor::log::set_sink(std::make_shared<zorpkg::StreamSink>(stderr, minimum));
  }
}

int fail(const zorpkg::CommandError& error) {
  std::fprintf(stderr, "zorpkg: error: %s\n", error.message().c_str());
  return EXIT_REJECTED;
}

int report(const zorpkg::CommandResult<void>& result) { return result ? EXIT_SUCCESS : fail(result.error()); }

}  // namespace

int main(int argc, char** argv) {
  CLI::App app("Inspects, converts and builds application packages and profile reports.\n"
               "A file name of - reads standard input or writes standard output.",
               "zorpkg");
  app.set_version_flag("--version", "zorpkg " ZORPKG_VERSION);
  app.require_subcommand(1);
  app.fallthrough();
  app.failure_message([](const CLI::App*, const CLI::Error& error) {
    return std::string("zorpkg: error: ") + error.what() + "\nRun with --help for more information.\n";
  });

  Options options;
  app.add_flag("-v,--verbose", options.verbosity,
               "Print the library's log events on standard error; -vv includes TRACE events");

  auto* info = app.add_subcommand("info", "Print a short summary of a package");
  info->add_option("PACKAGE", options.package, "Package file")->required();

  auto* validate = app.add_subcommand(
      "validate", "Read and check packages; print \"PACKAGE: ok\" or \"PACKAGE: error: ...\" for each.\n"
                  "Exits with 0 only when every package is ok");
  validate->add_option("PACKAGE", options.packages, "Package files")->required();

  auto* dump = app.add_subcommand("dump", "Print a whole package as JSON");
  dump->add_option("PACKAGE", options.package, "Package file")->required();

  auto* pack = app.add_subcommand(
      "pack", "Build a package from JSON (the form dump prints) and write it; the application is validated.\n"
              "Omitted fields take their zero value, except compiler_version (0.1.0) and invocations (1)");
  pack->add_option("JSON", options.input, "JSON file")->required();
  pack->add_option("-o,--output", options.output, "Package file to write")->required();

  auto* tile_image = app.add_subcommand(
      "tile-image", "Write the rebuilt initial memory image of one tile and print its load base and size");
  tile_image->add_option("PACKAGE", options.package, "Package file")->required();
  tile_image->add_option("--tile", options.tile, "Physical tile number")->required();
  tile_image->add_option("-o,--output", options.output, "Image file to write")->required();

  auto* profile = app.add_subcommand(
      "profile", "Derive the profile report of a profiled run from its output buffer and write it");
  profile->add_option("PACKAGE", options.package, "Package file of the profiled application")->required();
  profile->add_option("--runtime-output", options.input, "The run's output buffer")->required();
  profile->add_option("--clock-hz", options.clock_hz, "Clock rate of the device in hertz")
      ->required()
      ->check(CLI::Range(std::uint64_t{1}, std::numeric_limits<std::uint64_t>::max()));
  profile->add_option("-o,--output", options.output, "Profile report file to write")->required();

  auto* profile_show = app.add_subcommand(
      "profile-show",
      "Print a profile report: per tile its steps, total cycles and time at the clock rate, and the longest steps");
  profile_show->add_option("REPORT", options.show.report, "Profile report file")->required();
  profile_show->add_flag("--json", options.show.json, "Print the report as JSON instead of tables");
  profile_show->add_option("--chrome-trace", options.show.chrome_trace,
                           "Also write the report in the Trace Event Format (one track per tile, times in "
                           "microseconds) for Perfetto or chrome://tracing; with -, only the trace is printed");

  try {
    app.parse(argc, argv);
    if (profile->parsed()) {
      check_standard_streams({options.package, options.input}, {options.output});
    }
    if (validate->parsed()) {
      check_standard_streams(options.packages, {});
    }
    // With --json the report itself goes to standard output.
    if (profile_show->parsed() && options.show.json) {
      check_standard_streams({}, {std::string(zorpkg::STANDARD_STREAM), options.show.chrome_trace});
    }
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    return status == 0 ? EXIT_SUCCESS : EXIT_USAGE;
  }

  install_log_sink(options.verbosity);

  if (info->parsed()) {
    return report(zorpkg::run_info(options.package));
  }
  if (validate->parsed()) {
    const auto all_ok = zorpkg::run_validate(options.packages);
    if (!all_ok) {
      return fail(all_ok.error());
    }
    return *all_ok ? EXIT_SUCCESS : EXIT_REJECTED;
  }
  if (dump->parsed()) {
    return report(zorpkg::run_dump(options.package));
  }
  if (pack->parsed()) {
    return report(zorpkg::run_pack(options.input, options.output));
  }
  if (tile_image->parsed()) {
    return report(zorpkg::run_tile_image(options.package, options.tile, options.output));
  }
  if (profile->parsed()) {
    return report(zorpkg::run_profile(options.package, options.input, options.clock_hz, options.output));
  }
  return report(zorpkg::run_profile_show(options.show));
}
