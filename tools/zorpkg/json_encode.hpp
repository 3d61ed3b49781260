// Model values as JSON values: records as objects in model field order,
// numbers as integers, byte vectors as lower-case hex, enumerators by name.
#pragma once

#include <zor/package/fields.hpp>

#include <nlohmann/json.hpp>

#include <concepts>
#include <cstdint>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

namespace zorpkg {

// Objects keep their keys in insertion order, so output follows the model.
using Json = nlohmann::ordered_json;

namespace json_encode_detail {

inline Json encode(std::unsigned_integral auto value) { return value; }

inline Json encode(const std::string& value) { return value; }

inline Json encode(const std::vector<std::uint8_t>& bytes) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (const std::uint8_t byte : bytes) {
    hex.push_back(digits[byte >> 4U]);
    hex.push_back(digits[byte & 0x0fU]);
  }
  return hex;
}

// A value outside the enumeration (only an application built in memory can
// hold one) is written as its number, which decoding then rejects.
template <zor::fields::Enumeration Enum>
Json encode(Enum value) {
  const auto name = zor::fields::enumerator_name(value);
  if (name.empty()) {
    return static_cast<std::underlying_type_t<Enum>>(value);
  }
  return name;
}

template <zor::fields::Record Record>
Json encode(const Record& record);

template <class Element>
Json encode(const std::vector<Element>& elements) {
  Json array = Json::array();
  for (const auto& element : elements) {
    array.push_back(encode(element));
  }
  return array;
}

template <zor::fields::Record Record>
Json encode(const Record& record) {
  Json object = Json::object();
  std::apply([&](const auto&... field) { ((object[std::string(field.name)] = encode(record.*field.member)), ...); },
             zor::fields::RecordFields<Record>::fields);
  return object;
}

}  // namespace json_encode_detail

template <class Value>
Json to_json_value(const Value& value) {
  return json_encode_detail::encode(value);
}

// JSON text of a value; text fields that are not valid UTF-8 (which no read
// package holds) have their bad bytes replaced rather than failing.
inline std::string dump_json(const Json& value) {
  return value.dump(2, ' ', false, Json::error_handler_t::replace) + '\n';
}

}  // namespace zorpkg
