#include <zor/package/debug_text.hpp>

#include <array>
#include <cstdio>

namespace zor::detail {

void write_quoted(std::ostream& out, std::string_view text) {
  out << '"';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out << "\\\"";
        break;
      case '\\':
        out << "\\\\";
        break;
      case '\n':
        out << "\\n";
        break;
      case '\r':
        out << "\\r";
        break;
      case '\t':
        out << "\\t";
        break;
      default:
        if (byte < 0x20 || byte == 0x7f) {
          std::array<char, 8> escaped{};
          std::snprintf(escaped.data(), escaped.size(), "\\x%02x", static_cast<unsigned>(byte));
          out << escaped.data();
        } else {
          out << c;
        }
    }
  }
  out << '"';
}

}  // namespace zor::detail
