#include "commands.hpp"
#include "json_model.hpp"
#include "summary.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cstdio>

namespace zorpkg {

CommandResult<void> run_info(const std::string& package) {
  auto application = load_application(package);
  if (!application) {
    return std::unexpected(std::move(application.error()));
  }
  return print(application_summary(*application));
}

CommandResult<bool> run_validate(const std::vector<std::string>& packages) {
  bool all_ok = true;
  for (const auto& package : packages) {
    const auto application = load_application(package);
    all_ok = all_ok && application.has_value();
    const auto line = application ? fmt::format("{}: ok\n", package)
                                  : fmt::format("{}: error: {}\n", package, application.error().error.description());
    if (auto printed = print(line); !printed) {
      return std::unexpected(std::move(printed.error()));
    }
  }
  return all_ok;
}

CommandResult<void> run_dump(const std::string& package) {
  auto application = load_application(package);
  if (!application) {
    return std::unexpected(std::move(application.error()));
  }
  return print(application_to_json(*application));
}

CommandResult<void> run_pack(const std::string& json, const std::string& output) {
  auto input = load_input(json);
  if (!input) {
    return std::unexpected(std::move(input.error()));
  }
  auto application = application_from_json(input->text());
  if (!application) {
    return std::unexpected(std::move(application.error()));
  }
  return save_application(output, *application);
}

CommandResult<void> run_tile_image(const std::string& package, std::uint32_t tile, const std::string& output) {
  auto application = load_application(package);
  if (!application) {
    return std::unexpected(std::move(application.error()));
  }
  auto image = application->tile_image(tile);
  if (!image) {
    return std::unexpected(std::move(image.error()));
  }
  if (auto saved = save_output(output, *image); !saved) {
    return saved;
  }
  // The image starts at the lowest segment address of the first tile with
  // this number; tile_image has made sure there is one with segments.
  const auto& segments =
      std::ranges::find(application->tiles, tile, &zor::TileImage::physical_tile)->segments;
  const auto load_base = std::ranges::min(segments, {}, &zor::Segment::address).address;
  const auto report = fmt::format("tile {}: load base {:#x}, {} bytes\n", tile, load_base, image->size());
  if (output == STANDARD_STREAM) {
    std::fputs(report.c_str(), stderr);
    return {};
  }
  return print(report);
}

}  // namespace zorpkg
