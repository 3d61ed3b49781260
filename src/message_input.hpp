// Reading one framed message from a byte buffer that may hold anything.
#pragma once

#include "message_errors.hpp"

#include <zor/package/error.hpp>

#include <capnp/blob.h>
#include <capnp/message.h>
#include <kj/array.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

namespace zor {

// The traversal budget of a message of `message_words` words. Reading a
// well-formed message traverses each of its words once, so the budget is the
// message's size plus a fixed allowance. The message layer charges one word
// more than the message holds, and charges a list of zero-sized elements one
// word per element although the elements occupy nothing: the allowance covers
// both for small counts. Repeated traversal of shared objects, and huge lists
// of zero-sized elements, exhaust the budget.
[[nodiscard]] std::uint64_t traversal_budget(std::uint64_t message_words) noexcept;

// The message framed at the start of `input` (standard unpacked stream
// framing), copied into word-aligned memory it owns. Bytes after the message
// are ignored. The segment table is checked against the length of `input`
// before anything is allocated, and the reader it offers is limited to the
// traversal budget of the message's size, so the work and memory of reading
// stay in proportion to the input. Construction throws kj::Exception when the
// framing is malformed or declares more bytes than `input` holds.
class MessageInput {
 public:
  explicit MessageInput(std::span<const std::uint8_t> input);
  MessageInput(const MessageInput&) = delete;
  MessageInput& operator=(const MessageInput&) = delete;
  ~MessageInput();

  [[nodiscard]] capnp::MessageReader& reader() noexcept { return *reader_; }

 private:
  kj::Array<capnp::word> words_;
  kj::Array<kj::ArrayPtr<const capnp::word>> segments_;
  std::optional<capnp::SegmentArrayMessageReader> reader_;
};

// Reads the message framed at the start of `input` and hands its root, as a
// `Root`, to `convert`. Any fault of the framing or of the message layer,
// while the root is taken or while `convert` follows pointers, is a Capnp
// error; the message is dropped before this returns.
template <class Root, class Convert>
auto read_message(std::span<const std::uint8_t> input, Convert&& convert)
    -> std::invoke_result_t<Convert, typename Root::Reader> {
  return catching_message_errors([&] {
    MessageInput message(input);
    return std::forward<Convert>(convert)(message.reader().getRoot<Root>());
  });
}

// A text field as owned text, when it is well-formed UTF-8.
[[nodiscard]] Result<std::string> read_text(capnp::Text::Reader text);

// The elements of a message list converted in list order. `convert` returns
// either a record or a Result; the first failure ends the conversion.
template <class List, class Convert>
auto read_each(List list, Convert&& convert) {
  using Converted = std::invoke_result_t<Convert&, decltype(list[0])>;
  if constexpr (requires(Converted converted) { converted.error(); }) {
    using Record = typename Converted::value_type;
    Result<std::vector<Record>> records(std::in_place);
    records->reserve(list.size());
    for (auto element : list) {
      auto record = convert(element);
      if (!record) {
        return Result<std::vector<Record>>(std::unexpect, std::move(record.error()));
      }
      records->push_back(std::move(*record));
    }
    return records;
  } else {
    std::vector<Converted> records;
    records.reserve(list.size());
    for (auto element : list) {
      records.push_back(convert(element));
    }
    return records;
  }
}

}  // namespace zor
