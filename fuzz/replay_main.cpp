// Runs a fuzz target over recorded inputs: every file named on the command
// line and every regular file of a named folder, in name order, hidden files
// skipped. Without arguments it runs the target once over standard input,
// which is how the fuzzer drives it.
#include "fuzz_target.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <span>
#include <vector>

namespace {

namespace fs = std::filesystem;

void run(const std::vector<char>& input) {
  // The copy gives the target a buffer of exactly the input's size, so that
  // the address sanitizer sees any read past its end.
  const std::vector<std::uint8_t> bytes(input.begin(), input.end());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

std::optional<std::vector<char>> contents(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    return std::nullopt;
  }
  return std::vector<char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The inputs a command-line argument names, or nothing when it names neither
// a file nor a folder.
std::optional<std::vector<fs::path>> inputs_of(const fs::path& argument) {
  std::error_code error;
  if (fs::is_regular_file(argument, error)) {
    return std::vector<fs::path>{argument};
  }
  if (!fs::is_directory(argument, error)) {
    return std::nullopt;
  }
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(argument, error)) {
    if (entry.is_regular_file() && !entry.path().filename().string().starts_with('.')) {
      files.push_back(entry.path());
    }
  }
  if (error) {
    return std::nullopt;
  }
  std::ranges::sort(files);
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    run(std::vector<char>(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()));
    return 0;
  }
  std::size_t replayed = 0;
  for (const auto* argument : std::span(argv, static_cast<std::size_t>(argc)).subspan(1)) {
    const auto files = inputs_of(argument);
    if (!files) {
      fmt::print(stderr, "{}: no such file or folder\n", argument);
      return 2;
    }
    for (const auto& file : *files) {
      const auto input = contents(file);
      if (!input) {
        fmt::print(stderr, "{}: cannot be read\n", file.string());
        return 2;
      }
      fmt::print(stderr, "replaying {}\n", file.string());
      run(*input);
      ++replayed;
    }
  }
  fmt::print("replayed {} inputs\n", replayed);
  return 0;
}
