// What every fuzz target provides and what the targets share.
#pragma once

#include <zor/package/model.hpp>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// The standard entry point of a fuzz target: runs the target on one input.
// A property that does not hold stops the process, so the fuzzer keeps the
// input; any other return is a pass.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace zor::fuzz {

// Reports a property that did not hold and aborts.
[[noreturn]] void property_failed(std::string_view property, std::string_view detail);

// The bytes `record.write` produces in an empty vector; aborts if writing fails.
template <class Record>
std::vector<std::uint8_t> written(const Record& record, std::string_view what);

// Writes `record`, reads the bytes back and aborts unless the result equals
// `record` and a second write gives the same bytes. Returns the bytes.
template <class Record>
std::vector<std::uint8_t> require_round_trip(const Record& record, std::string_view what);

extern template std::vector<std::uint8_t> written(const Application&, std::string_view);
extern template std::vector<std::uint8_t> written(const ProfileReport&, std::string_view);
extern template std::vector<std::uint8_t> require_round_trip(const Application&, std::string_view);
extern template std::vector<std::uint8_t> require_round_trip(const ProfileReport&, std::string_view);

}  // namespace zor::fuzz
