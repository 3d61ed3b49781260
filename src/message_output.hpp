// Writing one message into a caller's byte sink.
#pragma once

#include "message_errors.hpp"

#include <zor/package/error.hpp>

#include <capnp/blob.h>
#include <capnp/message.h>
#include <capnp/serialize.h>
#include <kj/io.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zor {

// A model text as a message text; std::string keeps the NUL terminator the
// message layer expects after the bytes.
[[nodiscard]] inline capnp::Text::Reader as_text(const std::string& text) noexcept {
  return {text.data(), text.size()};
}

// Fills a message list that was created with as many elements as `records`
// holds: element i from record i, by `fill(element, record)`.
template <class List, class Record, class Fill>
void write_each(List output, const std::vector<Record>& records, Fill&& fill) {
  for (unsigned index = 0; index < output.size(); ++index) {
    fill(output[index], records[index]);
  }
}

// Builds a message whose root `build` fills as a `Root`, then serialises it
// into `output` in the standard unpacked stream framing. A failure of the
// message layer or of the sink is a Capnp error; the sink keeps whatever it
// had accepted by then. The message is dropped before this returns.
template <class Root, class Build>
[[nodiscard]] Result<void> write_message(kj::OutputStream& output, Build&& build) {
  return catching_message_errors([&]() -> Result<void> {
    capnp::MallocMessageBuilder message;
    std::forward<Build>(build)(message.initRoot<Root>());
    capnp::writeMessage(output, message);
    return {};
  });
}

// A sink that appends to a byte vector.
class VectorOutputStream final : public kj::OutputStream {
 public:
  explicit VectorOutputStream(std::vector<std::uint8_t>& bytes) noexcept : bytes_(bytes) {}
  void write(const void* buffer, size_t size) override;

 private:
  std::vector<std::uint8_t>& bytes_;
};

// Appends what `value.write(kj::OutputStream&)` writes to `output`. On
// failure `output` is cut back to its former length, so it never holds part
// of a message.
template <class Writable>
[[nodiscard]] Result<void> append_message(std::vector<std::uint8_t>& output, const Writable& value) {
  const auto former_size = output.size();
  VectorOutputStream stream(output);
  auto written = value.write(stream);
  if (!written) {
    output.resize(former_size);
  }
  return written;
}

}  // namespace zor
