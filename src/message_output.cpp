#include "message_output.hpp"

namespace zor {

void VectorOutputStream::write(const void* buffer, size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  bytes_.insert(bytes_.end(), bytes, bytes + size);
}

}  // namespace zor
