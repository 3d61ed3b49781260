// Reads the input as a profile report file. Reading returns a value or an
// error whatever the input; a report it returns writes and reads back equal.
#include "fuzz_target.hpp"

#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (const auto report = zor::ProfileReport::read(std::span(data, size))) {
    zor::fuzz::require_round_trip(*report, "a profile report read");
  }
  return 0;
}
