// The per-tile tables that zorpkg profile-show prints.
#pragma once

#include <zor/package/model.hpp>

#include <cstddef>
#include <string>

namespace zorpkg {

// How many of each tile's longest steps are listed.
inline constexpr std::size_t LONGEST_STEPS_SHOWN = 3;

// The clock rate, a table of every tile (steps, total cycles, time at the
// clock rate) and a table of each tile's longest steps. Times are shown as
// "-" when the clock rate is 0.
[[nodiscard]] std::string profile_tables(const zor::ProfileReport& report);

}  // namespace zorpkg
