// JSON values as model values. Every field is optional and starts at its
// zero value (or at the record's own default); unknown fields, wrong types
// and numbers out of a field's range are errors that name the JSON path of
// the offending value.
#pragma once

#include "json_encode.hpp"
#include <zor/package/fields.hpp>

#include <zor/package/error.hpp>
#include <zor/package/model.hpp>

#include <fmt/format.h>

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace zorpkg {

// The location of a value in a JSON document as a chain of parents, so that
// decoding builds the pointer text only when it reports an error.
class JsonPath {
 public:
  JsonPath() = default;
  JsonPath(const JsonPath& parent, std::string_view key) : parent_(&parent), key_(key) {}
  JsonPath(const JsonPath& parent, std::size_t index) : parent_(&parent), index_(index) {}

  // JSON pointer form, for example /tiles/0/segments/1/address; "/" for the
  // document itself.
  [[nodiscard]] std::string text() const;

 private:
  void append_to(std::string& out) const;

  const JsonPath* parent_ = nullptr;
  std::string_view key_;
  std::optional<std::size_t> index_;
};

namespace json_decode_detail {

using zor::Result;

zor::PackageError error_at(const JsonPath& path, std::string_view detail);
zor::PackageError type_error(const JsonPath& path, std::string_view expected, const Json& found);

Result<void> decode(const Json& value, std::string& out, const JsonPath& path);
Result<void> decode(const Json& value, std::vector<std::uint8_t>& out, const JsonPath& path);
Result<std::uint64_t> decode_unsigned(const Json& value, std::uint64_t max, std::string_view width,
                                      const JsonPath& path);

template <std::unsigned_integral Number>
Result<void> decode(const Json& value, Number& out, const JsonPath& path) {
  constexpr auto width = std::numeric_limits<Number>::digits == 64 ? "unsigned 64-bit" : "unsigned 32-bit";
  static_assert(std::numeric_limits<Number>::digits == 64 || std::numeric_limits<Number>::digits == 32);
  auto number = decode_unsigned(value, std::numeric_limits<Number>::max(), width, path);
  if (!number) {
    return std::unexpected(std::move(number.error()));
  }
  out = static_cast<Number>(*number);
  return {};
}

template <zor::fields::Enumeration Enum>
Result<void> decode(const Json& value, Enum& out, const JsonPath& path) {
  using Names = zor::fields::Enumerators<Enum>;
  if (value.is_string()) {
    const auto& text = value.get_ref<const Json::string_t&>();
    for (const auto& [enumerator, name] : Names::names) {
      if (name == text) {
        out = enumerator;
        return {};
      }
    }
  }
  std::string expected;
  for (const auto& [enumerator, name] : Names::names) {
    expected += expected.empty() ? "one of " : ", ";
    expected += name;
  }
  if (value.is_string()) {
    return std::unexpected(error_at(
        path, fmt::format("unknown {} \"{}\", expected {}", Names::name, value.get_ref<const Json::string_t&>(),
                          expected)));
  }
  return std::unexpected(type_error(path, fmt::format("{} name ({})", Names::name, expected), value));
}

// Where a record's zero value is not the value of an omitted field.
template <class Record>
Record initial_value() {
  return Record{};
}

template <>
inline zor::HostCall initial_value<zor::HostCall>() {
  zor::HostCall call{};
  call.invocations = 1;
  return call;
}

template <zor::fields::Record Record>
Result<void> decode(const Json& value, Record& out, const JsonPath& path);

template <class Element>
Result<void> decode(const Json& value, std::vector<Element>& out, const JsonPath& path) {
  if (!value.is_array()) {
    return std::unexpected(type_error(path, "an array", value));
  }
  out.clear();
  out.reserve(value.size());
  for (std::size_t index = 0; index < value.size(); ++index) {
    Element element = initial_value<Element>();
    if (auto decoded = decode(value[index], element, JsonPath(path, index)); !decoded) {
      return decoded;
    }
    out.push_back(std::move(element));
  }
  return {};
}

template <zor::fields::Record Record>
Result<void> decode(const Json& value, Record& out, const JsonPath& path) {
  if (!value.is_object()) {
    return std::unexpected(type_error(path, "an object", value));
  }
  constexpr auto& fields = zor::fields::RecordFields<Record>::fields;
  for (const auto& [key, member_value] : value.items()) {
    const bool known = std::apply([&](const auto&... field) { return ((field.name == key) || ...); }, fields);
    if (!known) {
      return std::unexpected(error_at(JsonPath(path, key), "unknown field"));
    }
  }
  Result<void> result;
  std::apply(
      [&](const auto&... field) {
        // Stops at the first field that fails.
        (((result = [&]() -> Result<void> {
            const auto found = value.find(field.name);
            if (found == value.end()) {
              return {};
            }
            return decode(*found, out.*field.member, JsonPath(path, field.name));
          }())) &&
         ...);
      },
      fields);
  return result;
}

}  // namespace json_decode_detail

// Decodes the document `value` into a `Value` that starts from its default.
template <class Value>
zor::Result<Value> from_json_value(const Json& value) {
  Value decoded = json_decode_detail::initial_value<Value>();
  if (auto result = json_decode_detail::decode(value, decoded, JsonPath()); !result) {
    return std::unexpected(std::move(result.error()));
  }
  return decoded;
}

}  // namespace zorpkg
