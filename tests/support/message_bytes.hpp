// Hand-made and edited messages for tests of what readers do with input
// that no conforming writer produces.
#pragma once

#include <capnp/message.h>
#include <capnp/serialize.h>
#include <kj/array.h>
#include <kj/io.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <span>
#include <vector>

namespace zor::test_support {

// Pointer words of the message encoding. Offsets count words from the end of
// the pointer.
constexpr std::uint64_t offset_bits(std::int32_t offset) {
  return std::uint64_t{static_cast<std::uint32_t>(offset) & 0x3fffffffU} << 2U;
}

constexpr std::uint64_t struct_pointer(std::int32_t offset, std::uint16_t data_words, std::uint16_t pointers) {
  return offset_bits(offset) |
         (std::uint64_t{data_words} << 32U) | (std::uint64_t{pointers} << 48U);
}

enum class ElementSize : std::uint8_t { Void = 0, Byte = 2, FourBytes = 4, Composite = 7 };

// For a composite list `count` is the number of words after the tag.
constexpr std::uint64_t list_pointer(std::int32_t offset, ElementSize size, std::uint32_t count) {
  return offset_bits(offset) | 1U |
         (std::uint64_t{static_cast<std::uint8_t>(size)} << 32U) | (std::uint64_t{count} << 35U);
}

// The tag word in front of the elements of a composite list.
constexpr std::uint64_t composite_tag(std::uint32_t elements, std::uint16_t data_words, std::uint16_t pointers) {
  return struct_pointer(static_cast<std::int32_t>(elements), data_words, pointers);
}

// Up to eight bytes packed into one word, the first byte lowest.
inline std::uint64_t bytes_word(std::initializer_list<std::uint8_t> bytes) {
  std::uint64_t word = 0;
  unsigned shift = 0;
  for (const auto byte : bytes) {
    word |= std::uint64_t{byte} << shift;
    shift += 8;
  }
  return word;
}

inline void append_u32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (unsigned shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

// `words` as a message of one segment in the stream framing.
inline std::vector<std::uint8_t> framed(const std::vector<std::uint64_t>& words) {
  std::vector<std::uint8_t> out;
  append_u32(out, 0);
  append_u32(out, static_cast<std::uint32_t>(words.size()));
  for (const auto word : words) {
    append_u32(out, static_cast<std::uint32_t>(word));
    append_u32(out, static_cast<std::uint32_t>(word >> 32U));
  }
  return out;
}

// Serialises a built message as the writers do.
inline std::vector<std::uint8_t> serialised(capnp::MessageBuilder& message) {
  const auto flat = capnp::messageToFlatArray(message);
  const auto bytes = flat.asBytes();
  return {bytes.begin(), bytes.end()};
}

// A copy of the message in `bytes` (a trusted message, such as one the
// library wrote) after `edit` has changed its root, a `Root::Builder`.
template <class Root, class Edit>
std::vector<std::uint8_t> edited(std::span<const std::uint8_t> bytes, Edit&& edit) {
  auto words = kj::heapArray<capnp::word>(bytes.size() / sizeof(capnp::word));
  std::memcpy(words.begin(), bytes.data(), words.size() * sizeof(capnp::word));
  capnp::FlatArrayMessageReader reader(words);
  capnp::MallocMessageBuilder message;
  message.setRoot(reader.getRoot<Root>());
  edit(message.getRoot<Root>());
  return serialised(message);
}

}  // namespace zor::test_support
