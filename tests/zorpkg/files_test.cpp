#include "files.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace zorpkg {
namespace {

namespace fs = std::filesystem;

class FilesTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "zorpkg-files-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    directory_ = pattern;
  }
  void TearDown() override { fs::remove_all(directory_); }

  [[nodiscard]] std::string path(const std::string& name) const { return (directory_ / name).string(); }

  static std::string contents(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  [[nodiscard]] std::size_t entries() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(directory_), fs::directory_iterator()));
  }

  fs::path directory_;
};

TEST_F(FilesTest, ReadsRegularFilesWhole) {
  const std::string bytes("\x00\x01zor\xff", 6);
  std::ofstream(path("in.bin"), std::ios::binary) << bytes;
  std::ofstream(path("empty.bin"), std::ios::binary).flush();

  const auto input = read_input(path("in.bin"));
  ASSERT_TRUE(input.has_value()) << input.error();
  EXPECT_EQ(input->text(), bytes);

  const auto empty = read_input(path("empty.bin"));
  ASSERT_TRUE(empty.has_value()) << empty.error();
  EXPECT_TRUE(empty->bytes().empty());
}

TEST_F(FilesTest, ReadFailuresAreIoErrors) {
  const auto missing = read_input(path("missing"));
  ASSERT_FALSE(missing.has_value());
  ASSERT_EQ(missing.error().kind(), zor::PackageError::Kind::Io);
  EXPECT_EQ(*missing.error().io_error(), std::errc::no_such_file_or_directory);

  const auto directory = read_input(directory_.string());
  ASSERT_FALSE(directory.has_value());
  ASSERT_EQ(directory.error().kind(), zor::PackageError::Kind::Io);
  EXPECT_EQ(*directory.error().io_error(), std::errc::is_a_directory);
}

TEST_F(FilesTest, WritesReplaceTheTargetWholeWithUsualPermissions) {
  const auto target = path("out.bin");
  std::ofstream(target) << "an older and longer content";
  ASSERT_TRUE(write_output(target, std::string_view("new")).has_value());
  EXPECT_EQ(contents(target), "new");
  EXPECT_EQ(entries(), 1U) << "no temporary file is left behind";

  const mode_t mask = ::umask(0);
  ::umask(mask);
  struct stat status {};
  ASSERT_EQ(::stat(target.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777U, 0666U & ~mask);
}

TEST_F(FilesTest, FailedWritesLeaveNothingBehind) {
  const auto into_missing_directory = write_output(path("no/such/dir/out.bin"), std::string_view("x"));
  ASSERT_FALSE(into_missing_directory.has_value());
  EXPECT_EQ(*into_missing_directory.error().io_error(), std::errc::no_such_file_or_directory);

  // The temporary file is created, then the rename onto a directory fails.
  fs::create_directory(path("taken"));
  const auto onto_directory = write_output(path("taken"), std::string_view("x"));
  ASSERT_FALSE(onto_directory.has_value());
  EXPECT_EQ(onto_directory.error().kind(), zor::PackageError::Kind::Io);
  EXPECT_EQ(entries(), 1U);
  EXPECT_TRUE(fs::is_empty(path("taken")));
}

}  // namespace
}  // namespace zorpkg
