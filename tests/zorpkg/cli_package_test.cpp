// zorpkg end to end: the package commands.
#include "checks.hpp"
#include "cli_fixture.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zorpkg::cli_test {
namespace {

using testing::HasSubstr;

TEST_F(ZorpkgTest, InfoSummarisesThePackage) {
  const auto sample = run({"info", write_package("sample.pkg", zor::tests::sample())});
  EXPECT_EQ(sample.status, 0) << sample.err;
  EXPECT_EQ(sample.out,
            "compiler version: 0.1.0\n"
            "tiles: 1\n"
            "  segments: 1, 8 bytes in memory, 4 bytes of data\n"
            "  address range: 0x4c000..0x4c008\n"
            "inputs: 0\n"
            "outputs: 0\n"
            "weights: 0\n"
            "host pages: 0, 0 bytes\n"
            "host calls: 0\n"
            "entry points: 0\n"
            "config writes: 0\n"
            "profiled tiles: 0, 0 steps\n"
            "debug symbols: 0\n"
            "debug regions: 0\n");
  EXPECT_EQ(sample.err, "");

  const auto exchange = run({"info", write_package("exchange.pkg", exchange_application())});
  EXPECT_EQ(exchange.status, 0) << exchange.err;
  EXPECT_THAT(exchange.out, HasSubstr("inputs: 1\n  image: 32 bytes\n"
                                      "outputs: 1\n  scores: 12 bytes\n"
                                      "weights: 1\n  bias: 0 bytes\n"
                                      "host pages: 2, 4160 bytes\n"
                                      "host calls: 1\n"
                                      "entry points: 1\n"
                                      "config writes: 1\n"));
  EXPECT_THAT(exchange.out, HasSubstr("debug symbols: 1\ndebug regions: 1\n"));

  const auto profiled = run({"info", write_package("profiled.pkg", profiled_application())});
  EXPECT_THAT(profiled.out, HasSubstr("profiled tiles: 1, 2 steps\n"));
}

TEST_F(ZorpkgTest, ValidateReportsEveryPackageAndFailsIfAnyIsBad) {
  const auto good = write_package("good.pkg", exchange_application());
  const auto package = bytes_of(zor::tests::sample());
  const auto truncated = write_file("truncated.pkg", package.substr(0, package.size() - 8));
  const auto missing = path("missing.pkg");

  const auto all_good = run({"validate", good, good});
  EXPECT_EQ(all_good.status, 0);
  EXPECT_EQ(all_good.out, good + ": ok\n" + good + ": ok\n");

  const auto mixed = run({"validate", good, truncated, missing});
  EXPECT_EQ(mixed.status, 1);
  const auto lines = mixed.out;
  EXPECT_THAT(lines, testing::StartsWith(good + ": ok\n" + truncated + ": error: capnp: "));
  EXPECT_THAT(lines, testing::EndsWith("\n" + missing + ": error: i/o: No such file or directory\n"));
  EXPECT_EQ(mixed.err, "");
}

TEST_F(ZorpkgTest, DumpThenPackReproducesThePackageByteForByte) {
  for (const auto& application : {zor::tests::sample(), exchange_application(), profiled_application()}) {
    const auto original = bytes_of(application);
    const auto dumped = run({"dump", write_file("original.pkg", original)});
    ASSERT_EQ(dumped.status, 0) << dumped.err;
    ASSERT_EQ(run({"pack", write_file("dumped.json", dumped.out), "-o", path("packed.pkg")}).status, 0);
    EXPECT_EQ(read_file(path("packed.pkg")), original);
  }
}

TEST_F(ZorpkgTest, StandardStreamsStandInForFiles) {
  const auto original = bytes_of(exchange_application());
  const auto dumped = run({"dump", "-"}, original);
  ASSERT_EQ(dumped.status, 0) << dumped.err;
  EXPECT_THAT(dumped.out, HasSubstr("\"name\": \"feed\""));

  const auto packed = run({"pack", "-", "-o", "-"}, dumped.out);
  ASSERT_EQ(packed.status, 0) << packed.err;
  EXPECT_EQ(packed.out, original);
}

TEST_F(ZorpkgTest, PackRejectsBadJsonAndInvalidApplicationsWithoutWritingAnything) {
  const auto existing = write_file("out.pkg", "previous content");
  const struct {
    const char* json;
    const char* error;
  } cases[] = {
      {R"({"tiles": [{"segments": [{"address": 4294967296}]}]})",
       "zorpkg: error: /tiles/0/segments/0/address: 4294967296 is out of range for unsigned 32-bit\n"},
      {R"({"tiles": [{"segments": [{"data": "0102", "memory_size": 1, "address": 311296}]}]})",
       "zorpkg: error: invalid segment on tile 0: address=0x4c000 end=0x4c001 memory_size=1 data_size=2\n"},
      {"{}", "zorpkg: error: application has no tiles\n"},
      {"{", "zorpkg: error: invalid JSON: parse error at line 1, column 2: "},
  };
  for (const auto& [json, error] : cases) {
    const auto packed = run({"pack", write_file("in.json", json), "-o", existing});
    EXPECT_EQ(packed.status, 1) << json;
    EXPECT_THAT(packed.err, testing::StartsWith(error));
    EXPECT_EQ(packed.out, "");
    EXPECT_EQ(read_file(existing), "previous content");
    EXPECT_EQ(files(), (std::vector<std::string>{"in.json", "out.pkg"}));
  }
}

TEST_F(ZorpkgTest, TileImageWritesTheImageAndReportsWhereItLoads) {
  const auto package = write_package("sample.pkg", zor::tests::sample());
  const auto to_file = run({"tile-image", package, "--tile", "0", "-o", path("tile0.bin")});
  EXPECT_EQ(to_file.status, 0) << to_file.err;
  EXPECT_EQ(to_file.out, "tile 0: load base 0x4c000, 8 bytes\n");
  EXPECT_EQ(read_file(path("tile0.bin")), std::string("\x01\x02\x03\x04\0\0\0\0", 8));

  const auto to_stdout = run({"tile-image", "-", "--tile", "0", "-o", "-"}, bytes_of(zor::tests::sample()));
  EXPECT_EQ(to_stdout.status, 0) << to_stdout.err;
  EXPECT_EQ(to_stdout.out, std::string("\x01\x02\x03\x04\0\0\0\0", 8));
  EXPECT_EQ(to_stdout.err, "tile 0: load base 0x4c000, 8 bytes\n");

  const auto unknown = run({"tile-image", package, "--tile", "5", "-o", path("tile5.bin")});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.err, "zorpkg: error: unknown tile 5\n");
  EXPECT_FALSE(exists("tile5.bin"));
}

TEST_F(ZorpkgTest, FileErrorsNameTheFile) {
  const auto missing = run({"info", path("missing.pkg")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "zorpkg: error: " + path("missing.pkg") + ": i/o: No such file or directory\n");

  const auto package = write_package("sample.pkg", zor::tests::sample());
  const auto unwritable = run({"tile-image", package, "--tile", "0", "-o", path("no/such/dir/tile.bin")});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_EQ(unwritable.err,
            "zorpkg: error: " + path("no/such/dir/tile.bin") + ": i/o: No such file or directory\n");

  const auto garbage = run({"dump", write_file("garbage.pkg", "not a package")});
  EXPECT_EQ(garbage.status, 1);
  EXPECT_THAT(garbage.err, testing::StartsWith("zorpkg: error: capnp: "));
}

TEST_F(ZorpkgTest, VerboseRunsPrintTheLibraryEvents) {
  const auto package = write_package("sample.pkg", zor::tests::sample());
  const auto info = run({"-v", "info", package});
  EXPECT_EQ(info.status, 0);
  EXPECT_EQ(info.err,
            "INFO zor_package: reading application package\n"
            "INFO zor_package: application package read tiles=1 compiler=0.1.0\n");

  const auto image = run({"tile-image", package, "--tile", "0", "-o", path("tile.bin"), "-vv"});
  EXPECT_EQ(image.status, 0);
  EXPECT_THAT(image.err,
              HasSubstr("TRACE zor_package: reconstructing tile image physical_tile=0 load_base=0x4c000 "
                        "image_bytes=8\n"));

  EXPECT_EQ(run({"-v", "tile-image", package, "--tile", "0", "-o", path("tile.bin")}).err.find("TRACE"),
            std::string::npos);
}

}  // namespace
}  // namespace zorpkg::cli_test
