// Damaged files: every truncation and every single-bit flip of a package,
// and every single-bit flip of a profile report file, each using every field
// (the reader tests cut report files short). Whatever the damage, reading
// returns a value or an error, and a value it returns writes and reads back
// equal. A truncated file is always an error of the message layer, since its
// segment table promises bytes that are no longer there.
#include "support/full_application.hpp"
#include "support/written.hpp"

#include <zor/package/debug_text.hpp>

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <vector>

namespace zor {
namespace {

using test_support::written;

template <class Record>
void expect_every_bit_flip_reads_soundly(std::vector<std::uint8_t> file) {
  for (std::size_t bit = 0; bit < file.size() * 8; ++bit) {
    auto& byte = file[bit / 8];
    const auto mask = static_cast<std::uint8_t>(1U << (bit % 8));
    byte ^= mask;
    if (const auto read = Record::read(file)) {
      std::vector<std::uint8_t> again;
      const auto status = read->write(again);
      ASSERT_TRUE(status) << "bit " << bit << " flipped: " << status.error();
      const auto back = Record::read(again);
      ASSERT_TRUE(back) << "bit " << bit << " flipped: " << back.error();
      ASSERT_EQ(*back, *read) << "bit " << bit << " flipped";
    }
    byte ^= mask;
  }
}

TEST(Mutation, EveryTruncatedPackageFails) {
  const auto file = written(test_support::full_application());
  for (std::size_t length = 0; length < file.size(); ++length) {
    const auto read = Application::read(std::span(file).first(length));
    ASSERT_FALSE(read) << "the first " << length << " bytes read as " << *read;
    EXPECT_EQ(read.error().kind(), PackageError::Kind::Capnp) << "the first " << length << " bytes: " << read.error();
  }
}

TEST(Mutation, PackagesWithAFlippedBitReadSoundly) {
  expect_every_bit_flip_reads_soundly<Application>(written(test_support::full_application()));
}

TEST(Mutation, ProfileReportsWithAFlippedBitReadSoundly) {
  expect_every_bit_flip_reads_soundly<ProfileReport>(written(test_support::full_profile_report()));
}

}  // namespace
}  // namespace zor
