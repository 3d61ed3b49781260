// Reading inputs and writing outputs of zorpkg. The name "-" stands for
// standard input or standard output. Failures are Io errors.
#pragma once

#include <zor/package/error.hpp>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorpkg {

inline constexpr std::string_view STANDARD_STREAM = "-";

class InputBytes;

// Reads the whole input named `path`.
[[nodiscard]] zor::Result<InputBytes> read_input(const std::string& path);

// The bytes of an input: a read-only memory map of a regular file, or a copy
// of what a stream (standard input, a pipe) delivered.
class InputBytes {
 public:
  InputBytes(const InputBytes&) = delete;
  InputBytes& operator=(const InputBytes&) = delete;
  InputBytes(InputBytes&& other) noexcept;
  InputBytes& operator=(InputBytes&& other) noexcept;
  ~InputBytes();

  [[nodiscard]] std::span<const std::uint8_t> bytes() const noexcept { return bytes_; }
  [[nodiscard]] std::string_view text() const noexcept {
    return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()};
  }

  friend zor::Result<InputBytes> read_input(const std::string& path);

 private:
  InputBytes() = default;
  // Takes over a read-only mapping, which it unmaps when destroyed.
  static InputBytes mapped(void* address, std::size_t size) noexcept;
  static InputBytes copied(std::vector<std::uint8_t> bytes) noexcept;
  static zor::Result<InputBytes> read_stream_input(int fd);
  void unmap() noexcept;

  void* mapping_ = nullptr;
  std::size_t mapping_size_ = 0;
  std::vector<std::uint8_t> copy_;
  std::span<const std::uint8_t> bytes_;
};

// Writes `bytes` to `path` as a whole: into a temporary file beside it that
// is renamed into place once complete, so a failure leaves no partial file
// and an existing file unchanged. "-" writes standard output directly.
[[nodiscard]] zor::Result<void> write_output(const std::string& path, std::span<const std::uint8_t> bytes);
[[nodiscard]] zor::Result<void> write_output(const std::string& path, std::string_view text);

}  // namespace zorpkg
