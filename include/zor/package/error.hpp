// The one error type of every fallible operation of the library.
#pragma once

#include <kj/exception.h>

#include <cstddef>
#include <cstdint>
#include <expected>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <variant>

#include <fmt/core.h>

namespace zor {

// A text that is not valid UTF-8: how many bytes were valid before the fault,
// and how long the invalid sequence is (absent when the text ends inside a
// sequence that could still have been completed).
struct Utf8Error {
  std::size_t valid_up_to;
  std::optional<std::size_t> error_len;

  bool operator==(const Utf8Error&) const = default;
};

// An enumeration field holds a value that its schema does not define.
struct SchemaEnumError {
  std::uint16_t value;

  bool operator==(const SchemaEnumError&) const = default;
};

class PackageError {
 public:
  // The variants, in their fixed order.
  enum class Kind : std::uint8_t { Capnp, Io, Utf8, SchemaEnum, Invalid };

  // Errors of the layers below convert implicitly and keep their payload.
  PackageError(kj::Exception error)  // NOLINT(google-explicit-constructor)
      : payload_(std::make_unique<const kj::Exception>(std::move(error))) {}
  PackageError(Utf8Error error) : payload_(error) {}                 // NOLINT(google-explicit-constructor)
  PackageError(SchemaEnumError error) : payload_(error) {}           // NOLINT(google-explicit-constructor)

  // A broken package or profile rule.
  static PackageError invalid(std::string message) { return PackageError(InvalidTag{}, std::move(message)); }
  // An operating-system I/O failure reported directly.
  static PackageError io(std::error_code error) { return PackageError(error); }

  PackageError(PackageError&&) noexcept = default;
  PackageError& operator=(PackageError&&) noexcept = default;
  PackageError(const PackageError&) = delete;
  PackageError& operator=(const PackageError&) = delete;
  ~PackageError() = default;

  [[nodiscard]] Kind kind() const noexcept { return static_cast<Kind>(payload_.index()); }

  // Each accessor returns the payload when the error is of that variant,
  // and nullptr otherwise.
  [[nodiscard]] const kj::Exception* capnp() const noexcept {
    const auto* exception = std::get_if<CapnpException>(&payload_);
    return exception == nullptr ? nullptr : exception->get();
  }
  [[nodiscard]] const std::error_code* io_error() const noexcept { return std::get_if<std::error_code>(&payload_); }
  [[nodiscard]] const Utf8Error* utf8() const noexcept { return std::get_if<Utf8Error>(&payload_); }
  [[nodiscard]] const SchemaEnumError* schema_enum() const noexcept {
    return std::get_if<SchemaEnumError>(&payload_);
  }
  [[nodiscard]] const std::string* invalid_message() const noexcept {
    const auto* invalid = std::get_if<InvalidMessage>(&payload_);
    return invalid == nullptr ? nullptr : &invalid->text;
  }

  // One line for people: the message itself for Invalid, otherwise a
  // lower-case prefix naming the kind followed by the detail.
  [[nodiscard]] std::string description() const;

  // Diagnostic form: the variant name and the payload in parentheses,
  // for example Invalid("application has no tiles").
  [[nodiscard]] std::string debug_text() const;

 private:
  // The message layer's exception can be moved but not assigned, so it is
  // held by pointer to keep the error assignable.
  using CapnpException = std::unique_ptr<const kj::Exception>;
  struct InvalidTag {};
  struct InvalidMessage {
    std::string text;
  };

  PackageError(InvalidTag, std::string message) : payload_(InvalidMessage{std::move(message)}) {}
  explicit PackageError(std::error_code error) : payload_(error) {}

  std::variant<CapnpException, std::error_code, Utf8Error, SchemaEnumError, InvalidMessage> payload_;
};

std::ostream& operator<<(std::ostream& out, const PackageError& error);
std::ostream& operator<<(std::ostream& out, PackageError::Kind kind);
std::ostream& operator<<(std::ostream& out, const Utf8Error& error);

template <class T>
using Result = std::expected<T, PackageError>;

}  // namespace zor

template <>
struct fmt::formatter<zor::PackageError> : fmt::formatter<std::string> {
  auto format(const zor::PackageError& error, fmt::format_context& context) const {
    return fmt::formatter<std::string>::format(error.debug_text(), context);
  }
};
