// Diagnostic text of the model: the type name, then every field in
// declaration order as `name: value` in braces; texts quoted, lists in
// brackets, enumerators by name. Meant for people and failure reports.
#pragma once

#include <zor/package/fields.hpp>
#include <zor/package/model.hpp>

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <vector>

#include <fmt/ostream.h>

namespace zor {
namespace detail {

// Quoted, with the escapes a reader of a failure report needs to see every
// byte: quotes, backslashes and control bytes.
void write_quoted(std::ostream& out, std::string_view text);

template <class T>
inline constexpr bool is_list = false;
template <class T>
inline constexpr bool is_list<std::vector<T>> = true;

template <class T>
void write_field_value(std::ostream& out, const T& value) {
  if constexpr (std::is_same_v<T, std::string>) {
    write_quoted(out, value);
  } else if constexpr (std::is_same_v<T, std::uint8_t>) {
    out << unsigned{value};
  } else if constexpr (is_list<T>) {
    out << '[';
    const char* separator = "";
    for (const auto& element : value) {
      out << separator;
      write_field_value(out, element);
      separator = ", ";
    }
    out << ']';
  } else {
    out << value;
  }
}

}  // namespace detail

template <fields::Enumeration Enum>
std::ostream& operator<<(std::ostream& out, Enum value) {
  const auto name = fields::enumerator_name(value);
  if (name.empty()) {
    return out << fields::Enumerators<Enum>::name << '(' << static_cast<unsigned>(value) << ')';
  }
  return out << name;
}

template <fields::Record Record>
std::ostream& operator<<(std::ostream& out, const Record& record) {
  out << fields::RecordFields<Record>::name << " {";
  const char* separator = " ";
  std::apply(
      [&](const auto&... field) {
        ((out << separator << field.name << ": ", detail::write_field_value(out, record.*(field.member)),
          separator = ", "),
         ...);
      },
      fields::RecordFields<Record>::fields);
  return out << " }";
}

}  // namespace zor

template <class T>
  requires zor::fields::Record<T> || zor::fields::Enumeration<T>
struct fmt::formatter<T, char> : fmt::ostream_formatter {};
