#include "fuzz_target.hpp"

#include <zor/package/debug_text.hpp>

#include <fmt/format.h>

#include <cstdio>
#include <cstdlib>

namespace zor::fuzz {

void property_failed(std::string_view property, std::string_view detail) {
  fmt::print(stderr, "fuzz property failed: {}\n{}\n", property, detail);
  std::fflush(stderr);
  std::abort();
}

template <class Record>
std::vector<std::uint8_t> written(const Record& record, std::string_view what) {
  std::vector<std::uint8_t> bytes;
  if (auto status = record.write(bytes); !status) {
    property_failed(fmt::format("{} writes", what), fmt::format("{}\n{}", status.error(), record));
  }
  return bytes;
}

template <class Record>
std::vector<std::uint8_t> require_round_trip(const Record& record, std::string_view what) {
  auto bytes = written(record, what);
  auto back = Record::read(bytes);
  if (!back) {
    property_failed(fmt::format("{} reads back", what), fmt::format("{}\n{}", back.error(), record));
  }
  if (*back != record) {
    property_failed(fmt::format("{} reads back equal", what), fmt::format("wrote {}\nread {}", record, *back));
  }
  if (written(record, what) != bytes) {
    property_failed(fmt::format("{} writes the same bytes twice", what), fmt::format("{}", record));
  }
  return bytes;
}

template std::vector<std::uint8_t> written(const Application&, std::string_view);
template std::vector<std::uint8_t> written(const ProfileReport&, std::string_view);
template std::vector<std::uint8_t> require_round_trip(const Application&, std::string_view);
template std::vector<std::uint8_t> require_round_trip(const ProfileReport&, std::string_view);

}  // namespace zor::fuzz
