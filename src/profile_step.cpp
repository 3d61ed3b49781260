#include "profile_step.hpp"

#include "message_input.hpp"
#include "message_output.hpp"

#include <utility>

namespace zor {
namespace {

// Model and message enumerators share their numbers.
static_assert(std::to_underlying(schema::StepKind::EXCHANGE) == std::to_underlying(ProfileStepKind::Exchange));
static_assert(std::to_underlying(schema::StepKind::COMPUTE) == std::to_underlying(ProfileStepKind::Compute));
static_assert(std::to_underlying(schema::StepKind::SYNCHRONIZATION) ==
              std::to_underlying(ProfileStepKind::Synchronization));
static_assert(std::to_underlying(schema::StepKind::IDLE) == std::to_underlying(ProfileStepKind::Idle));
static_assert(std::to_underlying(schema::ExchangeActivityKind::SEND) ==
              std::to_underlying(ExchangeActivityKind::Send));
static_assert(std::to_underlying(schema::ExchangeActivityKind::RECEIVE) ==
              std::to_underlying(ExchangeActivityKind::Receive));
static_assert(std::to_underlying(schema::ExchangeActivityKind::PARTNER_BUSY) ==
              std::to_underlying(ExchangeActivityKind::PartnerBusy));

// The model enumerator of a stored value, or SchemaEnum when `Model` has no
// enumerator of that value; `last` is its highest enumerator.
template <class Model, class Stored>
Result<Model> read_enum(Stored stored, Model last) {
  const std::uint16_t value = std::to_underlying(stored);
  if (value > std::to_underlying(last)) {
    return std::unexpected(PackageError(SchemaEnumError{.value = value}));
  }
  return static_cast<Model>(value);
}

Result<ProfileMetadata> read_metadata(schema::Metadata::Reader input) {
  auto name = read_text(input.getName());
  if (!name) {
    return std::unexpected(std::move(name.error()));
  }
  auto value = read_text(input.getValue());
  if (!value) {
    return std::unexpected(std::move(value.error()));
  }
  return ProfileMetadata{.name = std::move(*name), .value = std::move(*value)};
}

Result<ProfileExchangeActivity> read_exchange_activity(schema::ExchangeActivity::Reader input) {
  auto kind = read_enum(input.getKind(), ExchangeActivityKind::PartnerBusy);
  if (!kind) {
    return std::unexpected(std::move(kind.error()));
  }
  return ProfileExchangeActivity{
      .kind = *kind, .start_cycle = input.getStartCycle(), .end_cycle = input.getEndCycle()};
}

void write_metadata(schema::Metadata::Builder output, const ProfileMetadata& entry) {
  output.setName(as_text(entry.name));
  output.setValue(as_text(entry.value));
}

void write_exchange_activity(schema::ExchangeActivity::Builder output, const ProfileExchangeActivity& activity) {
  output.setKind(static_cast<schema::ExchangeActivityKind>(activity.kind));
  output.setStartCycle(activity.start_cycle);
  output.setEndCycle(activity.end_cycle);
}

}  // namespace

void write_profile_step(schema::Step::Builder output, const ProfileStep& step) {
  output.setLocalIndex(step.local_index);
  output.setPhase(step.phase);
  output.setEpoch(step.epoch);
  output.setOperation(as_text(step.operation));
  output.setKind(static_cast<schema::StepKind>(step.kind));
  output.setKernel(as_text(step.kernel));
  output.setExchangeEventCycles(step.exchange_event_cycles);

  write_each(output.initMetadata(stored_length(step.metadata.size())), step.metadata, write_metadata);
  write_each(output.initExchangeActivities(stored_length(step.exchange_activities.size())), step.exchange_activities,
             write_exchange_activity);
}

Result<ProfileStep> read_profile_step(schema::Step::Reader input) {
  const std::uint32_t local_index = input.getLocalIndex();
  const std::uint32_t phase = input.getPhase();
  const std::uint32_t epoch = input.getEpoch();
  auto operation = read_text(input.getOperation());
  if (!operation) {
    return std::unexpected(std::move(operation.error()));
  }
  auto kind = read_enum(input.getKind(), ProfileStepKind::Idle);
  if (!kind) {
    return std::unexpected(std::move(kind.error()));
  }
  auto kernel = read_text(input.getKernel());
  if (!kernel) {
    return std::unexpected(std::move(kernel.error()));
  }
  auto metadata = read_each(input.getMetadata(), read_metadata);
  if (!metadata) {
    return std::unexpected(std::move(metadata.error()));
  }
  auto activities = read_each(input.getExchangeActivities(), read_exchange_activity);
  if (!activities) {
    return std::unexpected(std::move(activities.error()));
  }
  return ProfileStep{
      .local_index = local_index,
      .phase = phase,
      .epoch = epoch,
      .operation = std::move(*operation),
      .kind = *kind,
      .kernel = std::move(*kernel),
      .metadata = std::move(*metadata),
      .exchange_activities = std::move(*activities),
      .exchange_event_cycles = input.getExchangeEventCycles(),
  };
}

void check_step_sizes(SizeCheck& check, const ProfileStep& step) {
  check.text(step.operation);
  check.text(step.kernel);
  check.structs<schema::Metadata>(step.metadata);
  for (const auto& entry : step.metadata) {
    check.text(entry.name);
    check.text(entry.value);
  }
  check.structs<schema::ExchangeActivity>(step.exchange_activities);
}

}  // namespace zor
