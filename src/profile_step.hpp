// Conversion of profile steps between the model and their message form,
// shared by package profile plans and profile report samples.
#pragma once

#include "message_limits.hpp"

#include <zor/package/model.hpp>

#include "profile_common.capnp.h"

namespace zor {

// Fills `output`, a step the caller has already allocated. Texts and both
// lists are always created, also when empty, and the step's objects are
// allocated in a fixed order (operation, kernel, metadata list, each entry's
// name and value, exchange activity list), so equal steps give equal bytes.
void write_profile_step(schema::Step::Builder output, const ProfileStep& step);

// Reads `input` field by field and stops at the first fault: a pointer the
// message layer cannot follow (thrown as kj::Exception), a text that is not
// UTF-8, or a kind that its enumeration does not define.
[[nodiscard]] Result<ProfileStep> read_profile_step(schema::Step::Reader input);

// Adds the lengths of `step` to `check`.
void check_step_sizes(SizeCheck& check, const ProfileStep& step);

}  // namespace zor
