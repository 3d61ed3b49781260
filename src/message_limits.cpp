#include "message_limits.hpp"

#include <fmt/format.h>

namespace zor {

Result<void> check_text_size(std::size_t bytes) {
  if (bytes >= MAX_LIST_ELEMENTS) {
    return std::unexpected(PackageError::invalid(fmt::format("text of {} bytes is too large to store", bytes)));
  }
  return {};
}

Result<void> check_data_size(std::size_t bytes) {
  if (bytes > MAX_LIST_ELEMENTS) {
    return std::unexpected(PackageError::invalid(fmt::format("data of {} bytes is too large to store", bytes)));
  }
  return {};
}

Result<void> check_list_size(std::size_t elements, std::size_t bytes_per_element) {
  // With at most 2^29 elements the product cannot overflow.
  constexpr std::uint64_t max_bytes = (MAX_SEGMENT_WORDS - 1) * 8;
  if (elements > MAX_LIST_ELEMENTS || std::uint64_t{elements} * bytes_per_element > max_bytes) {
    return std::unexpected(
        PackageError::invalid(fmt::format("list of {} elements is too large to store", elements)));
  }
  return {};
}

void SizeCheck::text(std::string_view text) { keep_first(check_text_size(text.size())); }

void SizeCheck::data(std::span<const std::uint8_t> data) { keep_first(check_data_size(data.size())); }

void SizeCheck::numbers(std::span<const std::uint32_t> numbers) {
  keep_first(check_list_size(numbers.size(), sizeof(std::uint32_t)));
}

Result<void> SizeCheck::result() && {
  if (first_failure_) {
    return std::unexpected(std::move(*first_failure_));
  }
  return {};
}

void SizeCheck::keep_first(Result<void> checked) {
  if (!checked && !first_failure_) {
    first_failure_.emplace(std::move(checked.error()));
  }
}

}  // namespace zor
