// The check program's sample application and checks.
#pragma once

#include <zor/package/model.hpp>

namespace zor::tests {

// The default application with one tile image: physical tile 0 holding one
// 8-byte segment at 0x4c000 of which the first four bytes (01 02 03 04) are
// stored. A valid application; each rejection check adds one fault to it.
Application sample();

// One check: its registered name, its body, and where it is defined.
struct Check {
  const char* name;
  void (*body)();
  const char* file;
  int line;
};

extern const Check profile_round_trip;
extern const Check randomized_profile_reports_use_adjacent_start_samples;
extern const Check rejects_ambiguous_device_configuration;
extern const Check rejects_implicit_host_batches;
extern const Check rejects_overlapping_segments;
extern const Check round_trip_and_reconstruct;

}  // namespace zor::tests
