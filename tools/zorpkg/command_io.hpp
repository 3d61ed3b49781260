// What the commands of zorpkg share: their error type and the loading and
// saving of the files they work on.
#pragma once

#include "files.hpp"

#include <zor/package/error.hpp>
#include <zor/package/model.hpp>

#include <cstdint>
#include <expected>
#include <span>
#include <string>
#include <string_view>

namespace zorpkg {

// A failed command: the library's error, and for a file that could not be
// read or written, the file's name.
struct CommandError {
  CommandError(zor::PackageError package_error)  // NOLINT(google-explicit-constructor)
      : error(std::move(package_error)) {}
  CommandError(std::string file_name, zor::PackageError package_error)
      : file(std::move(file_name)), error(std::move(package_error)) {}

  // The description of the error, after "FILE: " when it concerns a file.
  [[nodiscard]] std::string message() const;

  std::string file;
  zor::PackageError error;
};

template <class T>
using CommandResult = std::expected<T, CommandError>;

[[nodiscard]] CommandResult<InputBytes> load_input(const std::string& path);
[[nodiscard]] CommandResult<zor::Application> load_application(const std::string& path);
[[nodiscard]] CommandResult<zor::ProfileReport> load_profile_report(const std::string& path);

// Write the file form of an application (validating it) or of a report.
[[nodiscard]] CommandResult<void> save_application(const std::string& path, const zor::Application& application);
[[nodiscard]] CommandResult<void> save_profile_report(const std::string& path, const zor::ProfileReport& report);

[[nodiscard]] CommandResult<void> save_output(const std::string& path, std::span<const std::uint8_t> bytes);
[[nodiscard]] CommandResult<void> save_output(const std::string& path, std::string_view text);

// Writes `text` to standard output.
[[nodiscard]] CommandResult<void> print(std::string_view text);

}  // namespace zorpkg
