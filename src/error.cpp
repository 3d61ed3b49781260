#include <zor/package/error.hpp>

#include <ostream>

#include <fmt/format.h>

namespace zor {
namespace {

std::string exception_type_name(kj::Exception::Type type) {
  switch (type) {
    case kj::Exception::Type::FAILED:
      return "failed";
    case kj::Exception::Type::OVERLOADED:
      return "overloaded";
    case kj::Exception::Type::DISCONNECTED:
      return "disconnected";
    case kj::Exception::Type::UNIMPLEMENTED:
      return "unimplemented";
  }
  return fmt::format("type {}", static_cast<int>(type));
}

std::string utf8_detail(const Utf8Error& error) {
  if (error.error_len) {
    return fmt::format("invalid sequence of {} bytes after {} valid bytes", *error.error_len, error.valid_up_to);
  }
  return fmt::format("incomplete sequence at the end after {} valid bytes", error.valid_up_to);
}

std::string utf8_debug(const Utf8Error& error) {
  if (error.error_len) {
    return fmt::format("Utf8Error {{ valid_up_to: {}, error_len: {} }}", error.valid_up_to, *error.error_len);
  }
  return fmt::format("Utf8Error {{ valid_up_to: {}, error_len: none }}", error.valid_up_to);
}

}  // namespace

std::string PackageError::description() const {
  switch (kind()) {
    case Kind::Capnp: {
      const auto& exception = *capnp();
      return fmt::format("capnp: {}", exception.getDescription().cStr());
    }
    case Kind::Io:
      return fmt::format("i/o: {}", io_error()->message());
    case Kind::Utf8:
      return fmt::format("utf-8: {}", utf8_detail(*utf8()));
    case Kind::SchemaEnum:
      return fmt::format("schema enum: value {} is not in the schema", schema_enum()->value);
    case Kind::Invalid:
      return *invalid_message();
  }
  return {};
}

std::string PackageError::debug_text() const {
  switch (kind()) {
    case Kind::Capnp: {
      const auto& exception = *capnp();
      return fmt::format("Capnp(Exception {{ type: {}, description: \"{}\" }})",
                         exception_type_name(exception.getType()), exception.getDescription().cStr());
    }
    case Kind::Io: {
      const auto& error = *io_error();
      return fmt::format("Io({}:{} \"{}\")", error.category().name(), error.value(), error.message());
    }
    case Kind::Utf8:
      return fmt::format("Utf8({})", utf8_debug(*utf8()));
    case Kind::SchemaEnum:
      return fmt::format("SchemaEnum({})", schema_enum()->value);
    case Kind::Invalid:
      return fmt::format("Invalid(\"{}\")", *invalid_message());
  }
  return {};
}

std::ostream& operator<<(std::ostream& out, const PackageError& error) { return out << error.debug_text(); }

std::ostream& operator<<(std::ostream& out, PackageError::Kind kind) {
  switch (kind) {
    case PackageError::Kind::Capnp:
      return out << "Capnp";
    case PackageError::Kind::Io:
      return out << "Io";
    case PackageError::Kind::Utf8:
      return out << "Utf8";
    case PackageError::Kind::SchemaEnum:
      return out << "SchemaEnum";
    case PackageError::Kind::Invalid:
      return out << "Invalid";
  }
  return out << "Kind(" << static_cast<int>(kind) << ")";
}

std::ostream& operator<<(std::ostream& out, const Utf8Error& error) { return out << utf8_debug(error); }

}  // namespace zor
