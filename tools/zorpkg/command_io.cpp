#include "command_io.hpp"

#include <type_traits>
#include <vector>

namespace zorpkg {
namespace {

std::string input_name(const std::string& path) { return path == STANDARD_STREAM ? "<stdin>" : path; }
std::string output_name(const std::string& path) { return path == STANDARD_STREAM ? "<stdout>" : path; }

template <class T>
CommandResult<T> about_file(zor::Result<T> result, std::string name) {
  if (!result) {
    return std::unexpected(CommandError(std::move(name), std::move(result.error())));
  }
  if constexpr (std::is_void_v<T>) {
    return {};
  } else {
    return std::move(*result);
  }
}

template <class T>
CommandResult<T> read_from(const std::string& path) {
  auto input = load_input(path);
  if (!input) {
    return std::unexpected(std::move(input.error()));
  }
  return T::read(input->bytes());
}

template <class T>
CommandResult<void> write_to(const std::string& path, const T& value) {
  std::vector<std::uint8_t> file;
  if (auto written = value.write(file); !written) {
    return std::unexpected(std::move(written.error()));
  }
  return save_output(path, file);
}

}  // namespace

std::string CommandError::message() const {
  return file.empty() ? error.description() : file + ": " + error.description();
}

CommandResult<InputBytes> load_input(const std::string& path) { return about_file(read_input(path), input_name(path)); }

CommandResult<zor::Application> load_application(const std::string& path) {
  return read_from<zor::Application>(path);
}

CommandResult<zor::ProfileReport> load_profile_report(const std::string& path) {
  return read_from<zor::ProfileReport>(path);
}

CommandResult<void> save_application(const std::string& path, const zor::Application& application) {
  return write_to(path, application);
}

CommandResult<void> save_profile_report(const std::string& path, const zor::ProfileReport& report) {
  return write_to(path, report);
}

CommandResult<void> save_output(const std::string& path, std::span<const std::uint8_t> bytes) {
  return about_file(write_output(path, bytes), output_name(path));
}

CommandResult<void> save_output(const std::string& path, std::string_view text) {
  return about_file(write_output(path, text), output_name(path));
}

CommandResult<void> print(std::string_view text) { return save_output(std::string(STANDARD_STREAM), text); }

}  // namespace zorpkg
