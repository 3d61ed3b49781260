#include "log_sink.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

namespace zorpkg {
namespace {

TEST(LogSink, FormatsLevelTargetMessageAndFields) {
  const std::array fields{
      zor::log::Field{.name = "tiles", .value = std::uint64_t{18446744073709551615U}},
      zor::log::Field{.name = "compiler", .value = std::string_view("0.1.0")},
      zor::log::Field{.name = "spaced", .value = std::string_view("a \"b\"\n")},
      zor::log::Field{.name = "empty", .value = std::string_view("")},
  };
  const zor::log::Event event{.level = zor::log::Level::Info,
                              .target = "zor_package",
                              .message = "application package read",
                              .fields = fields};
  EXPECT_EQ(format_log_event(event),
            "INFO zor_package: application package read tiles=18446744073709551615 compiler=0.1.0 "
            "spaced=\"a \\\"b\\\"\\x0a\" empty=\"\"");
}

TEST(LogSink, DropsEventsBelowItsLevel) {
  std::FILE* stream = std::tmpfile();
  ASSERT_NE(stream, nullptr);
  StreamSink sink(stream, zor::log::Level::Debug);
  for (const auto level : {zor::log::Level::Trace, zor::log::Level::Debug, zor::log::Level::Info}) {
    sink.log(zor::log::Event{.level = level, .target = "t", .message = "m", .fields = {}});
  }
  std::rewind(stream);
  std::string written(64, '\0');
  written.resize(std::fread(written.data(), 1, written.size(), stream));
  std::fclose(stream);
  EXPECT_EQ(written, "DEBUG t: m\nINFO t: m\n");
}

}  // namespace
}  // namespace zorpkg
