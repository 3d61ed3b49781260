#include "message_input.hpp"

#include "message_limits.hpp"
#include "utf8.hpp"

#include <zor/package/reader_options.hpp>

#include <cstring>
#include <limits>

namespace zor {
namespace {

// Words that reading may traverse beyond the message's own size.
constexpr std::uint64_t TRAVERSAL_ALLOWANCE = 1024;

constexpr std::size_t WORD_BYTES = sizeof(capnp::word);

[[noreturn]] void refuse_framing(kj::String description) {
  kj::throwFatalException(kj::Exception(kj::Exception::Type::FAILED, __FILE__, __LINE__, kj::mv(description)));
}

std::uint32_t little_endian_u32(std::span<const std::uint8_t> bytes, std::size_t offset) noexcept {
  return std::uint32_t{bytes[offset]} | std::uint32_t{bytes[offset + 1]} << 8U |
         std::uint32_t{bytes[offset + 2]} << 16U | std::uint32_t{bytes[offset + 3]} << 24U;
}

}  // namespace

capnp::ReaderOptions capnp_reader_options() noexcept {
  return capnp::ReaderOptions{.traversalLimitInWords = std::numeric_limits<std::uint64_t>::max(), .nestingLimit = 64};
}

std::uint64_t traversal_budget(std::uint64_t message_words) noexcept {
  return message_words + TRAVERSAL_ALLOWANCE;
}

MessageInput::MessageInput(std::span<const std::uint8_t> input) {
  // The table: the segment count minus one, one size per segment in words,
  // padded to a whole word. All arithmetic is in 64 bits, where none of it
  // can wrap: the count is at most 2^32 and each size below 2^32.
  if (input.size() < 4) {
    refuse_framing(kj::str("input of ", input.size(), " bytes ends inside the segment table"));
  }
  const std::uint64_t segment_count = std::uint64_t{little_endian_u32(input, 0)} + 1;
  const std::uint64_t table_bytes = (segment_count + 2) / 2 * WORD_BYTES;
  if (table_bytes > input.size()) {
    refuse_framing(kj::str("segment table of ", segment_count, " segments needs ", table_bytes,
                           " bytes, the input holds ", input.size()));
  }

  std::uint64_t message_words = 0;
  for (std::uint64_t segment = 0; segment < segment_count; ++segment) {
    message_words += little_endian_u32(input, 4 + 4 * segment);
  }
  const std::uint64_t available_words = (input.size() - table_bytes) / WORD_BYTES;
  if (message_words > available_words) {
    refuse_framing(kj::str("segment table declares ", message_words, " words, the input holds ", available_words));
  }

  // The input may lie at any address; the message layer needs whole,
  // aligned words.
  words_ = kj::heapArray<capnp::word>(message_words);
  if (message_words != 0) {
    std::memcpy(words_.begin(), input.data() + table_bytes, message_words * WORD_BYTES);
  }
  segments_ = kj::heapArray<kj::ArrayPtr<const capnp::word>>(segment_count);
  std::size_t start = 0;
  for (std::uint64_t segment = 0; segment < segment_count; ++segment) {
    const std::size_t segment_words = little_endian_u32(input, 4 + 4 * segment);
    if (segment_words > MAX_SEGMENT_WORDS) {
      refuse_framing(kj::str("segment ", segment, " declares ", segment_words, " words, more than a segment holds"));
    }
    segments_[segment] = words_.slice(start, start + segment_words);
    start += segment_words;
  }

  capnp::ReaderOptions options = capnp_reader_options();
  options.traversalLimitInWords = traversal_budget(message_words);
  reader_.emplace(segments_.asPtr(), options);
}

MessageInput::~MessageInput() = default;

Result<std::string> read_text(capnp::Text::Reader text) {
  const auto bytes = text.asBytes();
  return decode_utf8(std::span<const std::uint8_t>(bytes.begin(), bytes.size()));
}

}  // namespace zor
