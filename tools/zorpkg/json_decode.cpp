#include "json_decode.hpp"

#include "json_pointer.hpp"

#include <optional>

namespace zorpkg {

std::string JsonPath::text() const {
  std::string out;
  append_to(out);
  return displayed_pointer(std::move(out));
}

void JsonPath::append_to(std::string& out) const {
  if (parent_ == nullptr) {
    return;
  }
  parent_->append_to(out);
  if (index_) {
    append_pointer_token(out, std::to_string(*index_));
  } else {
    append_pointer_token(out, key_);
  }
}

namespace json_decode_detail {
namespace {

std::string describe(const Json& value) {
  if (value.is_number()) {
    return fmt::format("number {}", value.dump());
  }
  return value.type_name();
}

std::optional<std::uint8_t> hex_digit(char c) {
  if (c >= '0' && c <= '9') {
    return static_cast<std::uint8_t>(c - '0');
  }
  if (c >= 'a' && c <= 'f') {
    return static_cast<std::uint8_t>(c - 'a' + 10);
  }
  if (c >= 'A' && c <= 'F') {
    return static_cast<std::uint8_t>(c - 'A' + 10);
  }
  return std::nullopt;
}

}  // namespace

zor::PackageError error_at(const JsonPath& path, std::string_view detail) {
  return zor::PackageError::invalid(fmt::format("{}: {}", path.text(), detail));
}

zor::PackageError type_error(const JsonPath& path, std::string_view expected, const Json& found) {
  return error_at(path, fmt::format("expected {}, found {}", expected, describe(found)));
}

Result<void> decode(const Json& value, std::string& out, const JsonPath& path) {
  if (!value.is_string()) {
    return std::unexpected(type_error(path, "a string", value));
  }
  out = value.get_ref<const Json::string_t&>();
  return {};
}

Result<void> decode(const Json& value, std::vector<std::uint8_t>& out, const JsonPath& path) {
  if (!value.is_string()) {
    return std::unexpected(type_error(path, "a hex string", value));
  }
  const auto& hex = value.get_ref<const Json::string_t&>();
  if (hex.size() % 2 != 0) {
    return std::unexpected(error_at(path, "odd number of hex digits"));
  }
  out.clear();
  out.reserve(hex.size() / 2);
  for (std::size_t offset = 0; offset < hex.size(); offset += 2) {
    const auto high = hex_digit(hex[offset]);
    const auto low = hex_digit(hex[offset + 1]);
    if (!high || !low) {
      const std::size_t bad = high ? offset + 1 : offset;
      return std::unexpected(error_at(path, fmt::format("invalid hex digit at offset {}", bad)));
    }
    out.push_back(static_cast<std::uint8_t>((*high << 4U) | *low));
  }
  return {};
}

Result<std::uint64_t> decode_unsigned(const Json& value, std::uint64_t max, std::string_view width,
                                      const JsonPath& path) {
  if (value.is_number_unsigned() || (value.is_number_integer() && value.get<std::int64_t>() >= 0)) {
    const auto number = value.get<std::uint64_t>();
    if (number > max) {
      return std::unexpected(error_at(path, fmt::format("{} is out of range for {}", number, width)));
    }
    return number;
  }
  if (value.is_number_integer()) {
    return std::unexpected(error_at(path, fmt::format("{} is out of range for {}", value.dump(), width)));
  }
  return std::unexpected(type_error(path, fmt::format("an {} integer", width), value));
}

}  // namespace json_decode_detail
}  // namespace zorpkg
