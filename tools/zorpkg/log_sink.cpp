#include "log_sink.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <variant>

namespace zorpkg {
namespace {

bool reads_as_one_word(std::string_view text) {
  return !text.empty() && std::ranges::none_of(text, [](char c) {
    return c == '"' || c == '\\' || c == '=' || static_cast<unsigned char>(c) <= ' ';
  });
}

std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(c);
    } else if (static_cast<unsigned char>(c) < ' ') {
      out += fmt::format("\\x{:02x}", static_cast<unsigned char>(c));
    } else {
      out.push_back(c);
    }
  }
  out.push_back('"');
  return out;
}

}  // namespace

std::string format_log_event(const zor::log::Event& event) {
  std::string line = fmt::format("{} {}: {}", zor::log::level_name(event.level), event.target, event.message);
  for (const auto& field : event.fields) {
    const std::string value = std::visit(
        [](const auto& v) -> std::string {
          if constexpr (std::is_same_v<std::decay_t<decltype(v)>, std::uint64_t>) {
            return std::to_string(v);
          } else {
            return reads_as_one_word(v) ? std::string(v) : quoted(v);
          }
        },
        field.value);
    line += fmt::format(" {}={}", field.name, value);
  }
  return line;
}

void StreamSink::log(const zor::log::Event& event) {
  if (event.level < minimum_) {
    return;
  }
  const std::string line = format_log_event(event) + '\n';
  std::fwrite(line.data(), 1, line.size(), stream_);
}

}  // namespace zorpkg
