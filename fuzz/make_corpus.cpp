// Writes the seed corpora of the fuzz targets below the folder given as the
// only argument (fuzz/corpus in the source tree): the packages, profile
// report files and JSON texts of a few applications and reports that between
// them use every field. Files are named seed-<name>; inputs that campaigns
// add to a corpus are named otherwise and left alone.
#include "checks.hpp"
#include "json_model.hpp"
#include "support/full_application.hpp"

#include <zor/package/debug_text.hpp>

#include <fmt/format.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

bool save(const fs::path& path, std::span<const char> bytes) {
  std::error_code error;
  fs::create_directories(path.parent_path(), error);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (error || !file) {
    fmt::print(stderr, "{}: cannot be written\n", path.string());
    return false;
  }
  return true;
}

template <class Record>
bool save_written(const fs::path& path, const Record& record) {
  std::vector<std::uint8_t> bytes;
  if (auto status = record.write(bytes); !status) {
    fmt::print(stderr, "{}: {}\n", path.string(), status.error());
    return false;
  }
  return save(path, std::span(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fmt::print(stderr, "usage: {} CORPUS_FOLDER\n", argc > 0 ? argv[0] : "zor_fuzz_corpus");
    return 2;
  }
  const fs::path corpus = argv[1];
  const std::pair<std::string_view, zor::Application> applications[] = {
      {"sample", zor::tests::sample()},
      {"round-trip", zor::tests::extended_sample()},
      {"full", zor::test_support::full_application()},
  };
  const std::pair<std::string_view, zor::ProfileReport> reports[] = {
      {"empty", zor::ProfileReport{.clock_hz = 1'500'000'000, .tiles = {}}},
      {"full", zor::test_support::full_profile_report()},
  };
  bool saved = true;
  for (const auto& [name, application] : applications) {
    saved = save_written(corpus / "read_package" / fmt::format("seed-{}", name), application) && saved;
    saved = save(corpus / "pack_json" / fmt::format("seed-{}", name), zorpkg::application_to_json(application)) && saved;
  }
  for (const auto& [name, report] : reports) {
    saved = save_written(corpus / "read_profile" / fmt::format("seed-{}", name), report) && saved;
  }
  return saved ? 0 : 1;
}
