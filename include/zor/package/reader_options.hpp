// Limits under which package and profile report messages are read.
#pragma once

#include <capnp/message.h>

namespace zor {

// Nesting limit 64, and no traversal limit (the largest the message layer
// accepts). Application::read and ProfileReport::read start from these
// options but give each message a traversal budget of its own size in words
// plus a small fixed allowance, after checking its segment table against the
// length of the input; so the work and memory of a read stay in proportion to
// the input, while every well-formed message, whatever its size, still reads.
[[nodiscard]] capnp::ReaderOptions capnp_reader_options() noexcept;

}  // namespace zor
