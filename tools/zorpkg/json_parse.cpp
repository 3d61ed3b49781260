#include "json_parse.hpp"

#include "json_pointer.hpp"

#include <fmt/format.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zorpkg {
namespace {

// Builds the document like the library's own parser and in addition tracks
// where it is, so that a repeated key or excessive nesting can be reported
// with its JSON path. Returning false stops the parse.
class StrictHandler {
 public:
  using number_integer_t = Json::number_integer_t;
  using number_unsigned_t = Json::number_unsigned_t;
  using number_float_t = Json::number_float_t;
  using string_t = Json::string_t;
  using binary_t = Json::binary_t;

  explicit StrictHandler(Json& root) : builder_(root, false) {}

  bool null() { return enter_value() && builder_.null(); }
  bool boolean(bool value) { return enter_value() && builder_.boolean(value); }
  bool number_integer(number_integer_t value) { return enter_value() && builder_.number_integer(value); }
  bool number_unsigned(number_unsigned_t value) { return enter_value() && builder_.number_unsigned(value); }
  bool number_float(number_float_t value, const string_t& text) {
    return enter_value() && builder_.number_float(value, text);
  }
  bool string(string_t& value) { return enter_value() && builder_.string(value); }
  bool binary(binary_t& value) { return enter_value() && builder_.binary(value); }

  bool start_object(std::size_t size) { return enter_container(true) && builder_.start_object(size); }
  bool start_array(std::size_t size) { return enter_container(false) && builder_.start_array(size); }

  bool key(string_t& key) {
    auto& object = containers_.back();
    if (!object.keys.insert(key).second) {
      fail(fmt::format("{}: duplicate field", child_path(object, key)));
      return false;
    }
    object.current_key = key;
    return builder_.key(key);
  }

  bool end_object() {
    containers_.pop_back();
    return builder_.end_object();
  }
  bool end_array() {
    containers_.pop_back();
    return builder_.end_array();
  }

  bool parse_error(std::size_t /*position*/, const std::string& /*last_token*/,
                   const nlohmann::detail::exception& error) {
    // The library's text starts with an identifier in brackets that means
    // nothing to people.
    std::string_view text = error.what();
    if (const auto end = text.find("] "); text.starts_with('[') && end != std::string_view::npos) {
      text.remove_prefix(end + 2);
    }
    fail(fmt::format("invalid JSON: {}", text));
    return false;
  }

  [[nodiscard]] std::optional<std::string> take_error() { return std::move(error_); }

 private:
  struct Container {
    std::string path;
    bool is_object;
    std::set<std::string, std::less<>> keys;
    std::string current_key;
    std::size_t next_index;
  };

  static std::string child_path(const Container& parent, std::string_view key) {
    std::string path = parent.path;
    append_pointer_token(path, key);
    return path;
  }

  // Advances the position in the enclosing array; returns the new value's
  // path.
  std::string value_path() {
    if (containers_.empty()) {
      return {};
    }
    auto& parent = containers_.back();
    if (parent.is_object) {
      return child_path(parent, parent.current_key);
    }
    return child_path(parent, std::to_string(parent.next_index++));
  }

  bool enter_value() {
    if (!containers_.empty() && !containers_.back().is_object) {
      ++containers_.back().next_index;
    }
    return true;
  }

  bool enter_container(bool is_object) {
    std::string path = value_path();
    if (containers_.size() == MAX_JSON_DEPTH) {
      fail(fmt::format("{}: JSON nesting deeper than {} levels", displayed_pointer(path), MAX_JSON_DEPTH));
      return false;
    }
    containers_.push_back(Container{
        .path = std::move(path), .is_object = is_object, .keys = {}, .current_key = {}, .next_index = 0});
    return true;
  }

  void fail(std::string message) {
    if (!error_) {
      error_ = std::move(message);
    }
  }

  nlohmann::detail::json_sax_dom_parser<Json> builder_;
  std::vector<Container> containers_;
  std::optional<std::string> error_;
};

}  // namespace

zor::Result<Json> parse_json(std::string_view text) {
  Json document;
  StrictHandler handler(document);
  const bool parsed = Json::sax_parse(text.begin(), text.end(), &handler);
  if (auto error = handler.take_error()) {
    return std::unexpected(zor::PackageError::invalid(std::move(*error)));
  }
  if (!parsed) {
    return std::unexpected(zor::PackageError::invalid("invalid JSON"));
  }
  return document;
}

}  // namespace zorpkg
