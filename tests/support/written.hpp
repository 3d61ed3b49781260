// The bytes a package or profile report writes into an empty vector, for
// tests that start from a written file. A failed write fails the test.
#pragma once

#include <zor/package/debug_text.hpp>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace zor::test_support {

template <class Record>
std::vector<std::uint8_t> written(const Record& record) {
  std::vector<std::uint8_t> bytes;
  const auto status = record.write(bytes);
  EXPECT_TRUE(status.has_value()) << status.error();
  return bytes;
}

}  // namespace zor::test_support
