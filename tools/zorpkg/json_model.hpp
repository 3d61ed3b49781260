// The JSON form of applications and profile reports, as zorpkg dumps and
// packs them: an object per record with the model's field names, numbers as
// JSON integers (64-bit values exact), byte vectors as lower-case hex
// strings, enumerators by name and lists as arrays in model order.
#pragma once

#include <zor/package/error.hpp>
#include <zor/package/model.hpp>

#include <string>
#include <string_view>

namespace zorpkg {

// Pretty-printed JSON text of `application`, ending in a newline.
[[nodiscard]] std::string application_to_json(const zor::Application& application);

// Builds an application from JSON text. An omitted field takes its zero
// value, except `compiler_version` ("0.1.0") and a host call's `invocations`
// (1). Invalid JSON, an unknown field, a wrong type or a number out of its
// field's range is an Invalid error naming the JSON path. The application
// is not validated here.
[[nodiscard]] zor::Result<zor::Application> application_from_json(std::string_view text);

// Pretty-printed JSON text of `report`, ending in a newline.
[[nodiscard]] std::string profile_report_to_json(const zor::ProfileReport& report);

}  // namespace zorpkg
