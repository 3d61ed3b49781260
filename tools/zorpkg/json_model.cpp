#include "json_model.hpp"

#include "json_decode.hpp"
#include "json_encode.hpp"
#include "json_parse.hpp"

namespace zorpkg {

std::string application_to_json(const zor::Application& application) {
  return dump_json(to_json_value(application));
}

zor::Result<zor::Application> application_from_json(std::string_view text) {
  auto document = parse_json(text);
  if (!document) {
    return std::unexpected(std::move(document.error()));
  }
  return from_json_value<zor::Application>(*document);
}

std::string profile_report_to_json(const zor::ProfileReport& report) { return dump_json(to_json_value(report)); }

}  // namespace zorpkg
