// Converts the input from JSON to an application as zorpkg's pack does. When
// that succeeds and the application is valid, packing it, dumping the package
// as JSON and packing that JSON again give the same bytes.
#include "fuzz_target.hpp"

#include "json_model.hpp"

#include <zor/package/debug_text.hpp>

#include <fmt/format.h>

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto application = zorpkg::application_from_json(text);
  if (!application || !application->validate()) {
    return 0;
  }
  const auto packed = zor::fuzz::require_round_trip(*application, "an application from JSON");
  const auto dumped = zorpkg::application_to_json(*zor::Application::read(packed));
  const auto again = zorpkg::application_from_json(dumped);
  if (!again) {
    zor::fuzz::property_failed("dumped JSON converts back", fmt::format("{}\n{}", again.error(), dumped));
  }
  if (zor::fuzz::written(*again, "an application from dumped JSON") != packed) {
    zor::fuzz::property_failed("packing dumped JSON gives the same bytes",
                               fmt::format("first {}\nthen {}", *application, *again));
  }
  return 0;
}
