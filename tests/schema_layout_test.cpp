// The stored layout of packages and profile reports, pinned byte by byte
// where other implementations of the format depend on it.
#include "profile_step.hpp"
#include "support/full_application.hpp"
#include "support/message_bytes.hpp"

#include <zor/package/debug_text.hpp>
#include <zor/package/model.hpp>

#include <gtest/gtest.h>

#include "application.capnp.h"
#include "profile.capnp.h"
#include "profile_common.capnp.h"

#include <capnp/any.h>
#include <capnp/message.h>
#include <capnp/serialize.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zor {
namespace {

template <class Struct>
std::pair<unsigned, unsigned> sections() {
  return {Struct::_capnpPrivate::dataWordSize, Struct::_capnpPrivate::pointerCount};
}

template <class Reader>
std::vector<std::uint8_t> data_section(Reader reader) {
  const auto data = capnp::toAny(reader).getDataSection();
  return {data.begin(), data.end()};
}

TEST(SchemaLayout, StructuresHaveTheirFixedSectionSizes) {
  const std::vector<std::pair<const char*, std::pair<unsigned, unsigned>>> sizes{
      {"Application", sections<schema::Application>()},
      {"TileImage", sections<schema::TileImage>()},
      {"Segment", sections<schema::Segment>()},
      {"Binding", sections<schema::Binding>()},
      {"RegionSlice", sections<schema::RegionSlice>()},
      {"HostExchange", sections<schema::HostExchange>()},
      {"HostPage", sections<schema::HostPage>()},
      {"HostCall", sections<schema::HostCall>()},
      {"HostSlice", sections<schema::HostSlice>()},
      {"EntryPoint", sections<schema::EntryPoint>()},
      {"DeviceConfigWrite", sections<schema::DeviceConfigWrite>()},
      {"TileProfilePlan", sections<schema::TileProfilePlan>()},
      {"DebugSymbol", sections<schema::DebugSymbol>()},
      {"DebugRegion", sections<schema::DebugRegion>()},
      {"Step", sections<schema::Step>()},
      {"ExchangeActivity", sections<schema::ExchangeActivity>()},
      {"Metadata", sections<schema::Metadata>()},
      {"Profile", sections<schema::Profile>()},
      {"TileProfile", sections<schema::TileProfile>()},
      {"CycleSample", sections<schema::CycleSample>()},
  };
  const std::vector<std::pair<unsigned, unsigned>> expected{
      {2, 12}, {2, 1}, {2, 1}, {0, 4}, {3, 0}, {2, 3}, {2, 0}, {2, 5}, {4, 0}, {1, 1},
      {1, 0},  {1, 1}, {1, 1}, {2, 1}, {3, 4}, {2, 0}, {0, 2}, {2, 1}, {1, 1}, {1, 1},
  };
  ASSERT_EQ(sizes.size(), expected.size());
  for (std::size_t index = 0; index < sizes.size(); ++index) {
    EXPECT_EQ(sizes[index].second, expected[index]) << sizes[index].first;
  }
}

TEST(SchemaLayout, HostRecordsAreStoredAtTheirFixedOffsets) {
  Application application = test_support::full_application();
  application.host_exchange = HostExchange{
      .startup_mark = 0,
      .command_page = 7,
      .command_offset = 0,
      .pages = {HostPage{.index = 7, .size = 0x0102030405060708}},
      .attach_order = {},
      .calls = {HostCall{.name = "once",
                         .command = 0xc0c1c2c3,
                         .phases = 0x0a0b0c0d,
                         .inputs = {HostSlice{.page = 7, .page_offset = 0x10, .file_offset = 0x2122232425262728,
                                              .size = 0x20}},
                         .outputs = {},
                         .invocations = 1,
                         .input_batch_ends = {1},
                         .output_batch_ends = {}},
                HostCall{.name = "many",
                         .command = 0,
                         .phases = 0,
                         .inputs = {},
                         .outputs = {},
                         .invocations = 0x01020304,
                         .input_batch_ends = {},
                         .output_batch_ends = {}}},
  };
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(application.write(bytes).has_value());
  const kj::ArrayPtr<const capnp::word> words(reinterpret_cast<const capnp::word*>(bytes.data()),
                                              bytes.size() / sizeof(capnp::word));
  capnp::FlatArrayMessageReader message(words);
  const auto host = message.getRoot<schema::Application>().getHostExchange();

  EXPECT_EQ(data_section(host.getPages()[0]),
            (std::vector<std::uint8_t>{7, 0, 0, 0, 0, 0, 0, 0, 0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01}));
  const auto calls = host.getCalls();
  EXPECT_EQ(data_section(calls[0]),
            (std::vector<std::uint8_t>{0xc3, 0xc2, 0xc1, 0xc0, 0x0d, 0x0c, 0x0b, 0x0a, 0, 0, 0, 0, 0, 0, 0, 0}))
      << "an invocation count of 1 is stored as zero";
  EXPECT_EQ(data_section(calls[1]),
            (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 0x05, 0x03, 0x02, 0x01, 0, 0, 0, 0}))
      << "invocation counts are stored XOR 1";
  EXPECT_EQ(data_section(calls[0].getInputs()[0]),
            (std::vector<std::uint8_t>{7,    0,    0,    0,    0,    0,    0,    0,    0x10, 0, 0,    0,    0, 0, 0, 0,
                                       0x28, 0x27, 0x26, 0x25, 0x24, 0x23, 0x22, 0x21, 0x20, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(SchemaLayout, AHostCallWithAShortDataSectionIsInvokedOnce) {
  const auto bytes = test_support::framed({test_support::struct_pointer(0, 1, 0), 0x0000000400000002});
  const kj::ArrayPtr<const capnp::word> words(reinterpret_cast<const capnp::word*>(bytes.data()),
                                              bytes.size() / sizeof(capnp::word));
  capnp::FlatArrayMessageReader message(words);
  const auto call = message.getRoot<schema::HostCall>();
  EXPECT_EQ(call.getCommand(), 2U);
  EXPECT_EQ(call.getPhases(), 4U);
  EXPECT_EQ(call.getInvocations(), 1U);
}

TEST(SchemaLayout, StepsStoreTheirKindsAsNumbersAndAlwaysCreateTextsAndLists) {
  const std::vector<ProfileStepKind> kinds{ProfileStepKind::Exchange, ProfileStepKind::Compute,
                                           ProfileStepKind::Synchronization, ProfileStepKind::Idle};
  for (const auto kind : kinds) {
    ProfileStep step = test_support::empty_profile_step(0x01020304, kind);
    step.phase = 0x11121314;
    step.epoch = 0x21222324;
    step.exchange_event_cycles = 0x31323334;
    capnp::MallocMessageBuilder message;
    auto stored = message.initRoot<schema::Step>();
    write_profile_step(stored, step);

    const auto number = static_cast<std::uint8_t>(kind);
    EXPECT_EQ(data_section(stored.asReader()),
              (std::vector<std::uint8_t>{0x04, 0x03, 0x02, 0x01, 0x14, 0x13, 0x12, 0x11, 0x24, 0x23, 0x22, 0x21,
                                         number, 0, 0, 0, 0x34, 0x33, 0x32, 0x31, 0, 0, 0, 0}));
    const auto pointers = capnp::toAny(stored.asReader()).getPointerSection();
    EXPECT_EQ(pointers[0].getAs<capnp::List<std::uint8_t>>().size(), 1U) << "operation: only the terminator";
    EXPECT_EQ(pointers[1].getAs<capnp::List<std::uint8_t>>().size(), 1U) << "kernel: only the terminator";
    EXPECT_TRUE(stored.hasMetadata());
    EXPECT_TRUE(stored.hasExchangeActivities());

    const auto read = read_profile_step(stored.asReader());
    ASSERT_TRUE(read.has_value()) << read.error();
    EXPECT_EQ(*read, step);
  }

  const std::vector<ExchangeActivityKind> activity_kinds{ExchangeActivityKind::Send, ExchangeActivityKind::Receive,
                                                         ExchangeActivityKind::PartnerBusy};
  ProfileStep step = test_support::empty_profile_step(0, ProfileStepKind::Exchange);
  for (const auto kind : activity_kinds) {
    step.exchange_activities.push_back(
        ProfileExchangeActivity{.kind = kind, .start_cycle = 0x01020304, .end_cycle = 0x05060708});
  }
  capnp::MallocMessageBuilder message;
  auto stored = message.initRoot<schema::Step>();
  write_profile_step(stored, step);
  for (unsigned index = 0; index < activity_kinds.size(); ++index) {
    EXPECT_EQ(data_section(stored.asReader().getExchangeActivities()[index]),
              (std::vector<std::uint8_t>{static_cast<std::uint8_t>(index), 0, 0, 0, 0x04, 0x03, 0x02, 0x01, 0x08, 0x07,
                                         0x06, 0x05, 0, 0, 0, 0}));
  }
  const auto read = read_profile_step(stored.asReader());
  ASSERT_TRUE(read.has_value()) << read.error();
  EXPECT_EQ(*read, step);
}

}  // namespace
}  // namespace zor
