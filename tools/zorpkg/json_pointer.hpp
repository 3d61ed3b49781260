// Building JSON pointer texts such as /tiles/0/segments/1/address.
#pragma once

#include <string>
#include <string_view>

namespace zorpkg {

// Appends "/" and `key`, escaping "~" as "~0" and "/" as "~1".
inline void append_pointer_token(std::string& pointer, std::string_view key) {
  pointer.push_back('/');
  for (const char c : key) {
    if (c == '~') {
      pointer += "~0";
    } else if (c == '/') {
      pointer += "~1";
    } else {
      pointer.push_back(c);
    }
  }
}

// The document itself has the empty pointer, which people read better as "/".
inline std::string displayed_pointer(std::string pointer) { return pointer.empty() ? "/" : pointer; }

}  // namespace zorpkg
