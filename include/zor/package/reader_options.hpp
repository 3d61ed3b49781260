// Limits under which package and profile report messages are read.
#pragma once

#include <capnp/message.h>

namespace zor {

// Nesting limit 64. The traversal limit is not switched off: each read
// derives its own budget from the size of the message it reads (see
// Application::read), so a tiny input cannot make the reader do unbounded
// work. These options carry the largest traversal limit the message layer
// accepts, for callers that read messages of their own.
[[nodiscard]] capnp::ReaderOptions capnp_reader_options() noexcept;

}  // namespace zor
