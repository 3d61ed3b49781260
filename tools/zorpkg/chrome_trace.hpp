// Profile reports in the Trace Event Format, for trace viewers.
#pragma once

#include <zor/package/error.hpp>
#include <zor/package/model.hpp>

#include <string>

namespace zorpkg {

// One complete event per sample on one track per tile, with times in
// microseconds at the report's clock rate and the step's fields as the
// event's arguments. A report with a clock rate of 0 has no time scale and
// is rejected.
[[nodiscard]] zor::Result<std::string> chrome_trace_json(const zor::ProfileReport& report);

}  // namespace zorpkg
