// The short human summary that zorpkg info prints.
#pragma once

#include <zor/package/model.hpp>

#include <string>

namespace zorpkg {

// Compiler version; tiles with their segment count, total segment and data
// bytes and the address range they span; every binding by kind with its
// host-side size; host pages and calls; entry points; config writes;
// profiled tiles and steps; debug entries. One "name: value" line each.
[[nodiscard]] std::string application_summary(const zor::Application& application);

}  // namespace zorpkg
