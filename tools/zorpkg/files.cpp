#include "files.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <utility>

namespace zorpkg {
namespace {

zor::PackageError last_os_error() { return zor::PackageError::io(std::error_code(errno, std::generic_category())); }

// Closes a descriptor on every path out of a scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) noexcept : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  [[nodiscard]] int get() const noexcept { return fd_; }

 private:
  int fd_;
};

zor::Result<std::vector<std::uint8_t>> read_stream(int fd) {
  std::vector<std::uint8_t> bytes;
  constexpr std::size_t chunk = 1 << 16;
  for (;;) {
    const std::size_t used = bytes.size();
    bytes.resize(used + chunk);
    const ssize_t got = ::read(fd, bytes.data() + used, chunk);
    if (got < 0) {
      if (errno == EINTR) {
        bytes.resize(used);
        continue;
      }
      return std::unexpected(last_os_error());
    }
    bytes.resize(used + static_cast<std::size_t>(got));
    if (got == 0) {
      return bytes;
    }
  }
}

zor::Result<void> write_all(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return std::unexpected(last_os_error());
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return {};
}

// The permissions a newly created file gets from the process's umask.
mode_t new_file_mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666U & ~mask);
}

// A temporary file beside its target, removed unless it was renamed into
// place.
class TemporaryFile {
 public:
  static zor::Result<TemporaryFile> create_beside(const std::filesystem::path& target) {
    std::string name = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
      return std::unexpected(last_os_error());
    }
    return TemporaryFile(std::move(name), fd);
  }

  TemporaryFile(TemporaryFile&& other) noexcept
      : name_(std::exchange(other.name_, {})), descriptor_(std::exchange(other.descriptor_, -1)) {}
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  TemporaryFile& operator=(TemporaryFile&&) = delete;
  ~TemporaryFile() {
    if (descriptor_ >= 0) {
      ::close(descriptor_);
    }
    if (!name_.empty()) {
      ::unlink(name_.c_str());
    }
  }

  zor::Result<void> write_and_rename(std::span<const std::uint8_t> bytes, const std::filesystem::path& target) {
    if (::fchmod(descriptor_, new_file_mode()) != 0) {
      return std::unexpected(last_os_error());
    }
    if (auto written = write_all(descriptor_, bytes); !written) {
      return written;
    }
    if (::fsync(descriptor_) != 0) {
      return std::unexpected(last_os_error());
    }
    if (::close(std::exchange(descriptor_, -1)) != 0) {
      return std::unexpected(last_os_error());
    }
    if (::rename(name_.c_str(), target.c_str()) != 0) {
      return std::unexpected(last_os_error());
    }
    name_.clear();
    return {};
  }

 private:
  TemporaryFile(std::string name, int descriptor) : name_(std::move(name)), descriptor_(descriptor) {}

  std::string name_;
  int descriptor_;
};

}  // namespace

InputBytes::InputBytes(InputBytes&& other) noexcept
    : mapping_(std::exchange(other.mapping_, nullptr)),
      mapping_size_(std::exchange(other.mapping_size_, 0)),
      copy_(std::move(other.copy_)),
      bytes_(std::exchange(other.bytes_, {})) {}

InputBytes& InputBytes::operator=(InputBytes&& other) noexcept {
  if (this != &other) {
    unmap();
    mapping_ = std::exchange(other.mapping_, nullptr);
    mapping_size_ = std::exchange(other.mapping_size_, 0);
    copy_ = std::move(other.copy_);
    bytes_ = std::exchange(other.bytes_, {});
  }
  return *this;
}

InputBytes::~InputBytes() { unmap(); }

void InputBytes::unmap() noexcept {
  if (mapping_ != nullptr) {
    ::munmap(mapping_, mapping_size_);
    mapping_ = nullptr;
  }
}

InputBytes InputBytes::mapped(void* address, std::size_t size) noexcept {
  InputBytes input;
  input.mapping_ = address;
  input.mapping_size_ = size;
  input.bytes_ = {static_cast<const std::uint8_t*>(address), size};
  return input;
}

InputBytes InputBytes::copied(std::vector<std::uint8_t> bytes) noexcept {
  InputBytes input;
  input.copy_ = std::move(bytes);
  input.bytes_ = input.copy_;
  return input;
}

zor::Result<InputBytes> InputBytes::read_stream_input(int fd) {
  auto bytes = read_stream(fd);
  if (!bytes) {
    return std::unexpected(std::move(bytes.error()));
  }
  return copied(std::move(*bytes));
}

zor::Result<InputBytes> read_input(const std::string& path) {
  if (path == STANDARD_STREAM) {
    return InputBytes::read_stream_input(STDIN_FILENO);
  }
  Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) {
    return std::unexpected(last_os_error());
  }
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) {
    return std::unexpected(last_os_error());
  }
  if (S_ISDIR(status.st_mode)) {
    return std::unexpected(zor::PackageError::io(std::make_error_code(std::errc::is_a_directory)));
  }
  // Pipes and devices have no size to map; they are read like a stream.
  if (!S_ISREG(status.st_mode)) {
    return InputBytes::read_stream_input(file.get());
  }
  const auto size = static_cast<std::size_t>(status.st_size);
  if (size == 0) {
    return InputBytes::copied({});
  }
  void* address = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, file.get(), 0);
  if (address == MAP_FAILED) {
    return std::unexpected(last_os_error());
  }
  return InputBytes::mapped(address, size);
}

zor::Result<void> write_output(const std::string& path, std::span<const std::uint8_t> bytes) {
  if (path == STANDARD_STREAM) {
    return write_all(STDOUT_FILENO, bytes);
  }
  const std::filesystem::path target(path);
  auto temporary = TemporaryFile::create_beside(target);
  if (!temporary) {
    return std::unexpected(std::move(temporary.error()));
  }
  return temporary->write_and_rename(bytes, target);
}

zor::Result<void> write_output(const std::string& path, std::string_view text) {
  return write_output(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace zorpkg
