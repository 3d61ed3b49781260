// Sizes the message layer can store. It refuses lists of 2^29 or more
// elements and objects of 2^29 or more words, and takes lengths as 32-bit
// numbers, so a larger model value would be refused halfway through building
// a message or, beyond 2^32, silently cut short. The writers check every
// length against these limits before they build anything.
#pragma once

#include <zor/package/error.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zor {

inline constexpr std::uint64_t MAX_LIST_ELEMENTS = (std::uint64_t{1} << 29) - 1;
inline constexpr std::uint64_t MAX_SEGMENT_WORDS = (std::uint64_t{1} << 29) - 1;

// Each fails with an Invalid error naming the length when the message layer
// cannot store a value of that length. A text is stored with a NUL
// terminator; a list of structures also needs a tag word.
[[nodiscard]] Result<void> check_text_size(std::size_t bytes);
[[nodiscard]] Result<void> check_data_size(std::size_t bytes);
[[nodiscard]] Result<void> check_list_size(std::size_t elements, std::size_t bytes_per_element);

// The size of one element of a list of schema structures `Struct`.
template <class Struct>
inline constexpr std::size_t STRUCT_BYTES =
    (std::size_t{Struct::_capnpPrivate::dataWordSize} + Struct::_capnpPrivate::pointerCount) * 8;

// A model length as the message layer takes it; the writers call this only
// for lengths that passed the checks above.
[[nodiscard]] inline unsigned stored_length(std::size_t length) noexcept { return static_cast<unsigned>(length); }

// Walks a model value and keeps the first length that cannot be stored.
class SizeCheck {
 public:
  void text(std::string_view text);
  void data(std::span<const std::uint8_t> data);
  void numbers(std::span<const std::uint32_t> numbers);
  template <class Struct, class Record>
  void structs(const std::vector<Record>& records) {
    keep_first(check_list_size(records.size(), STRUCT_BYTES<Struct>));
  }

  [[nodiscard]] Result<void> result() &&;

 private:
  void keep_first(Result<void> checked);

  std::optional<PackageError> first_failure_;
};

}  // namespace zor
