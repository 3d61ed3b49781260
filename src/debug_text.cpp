#include <zor/package/debug_text.hpp>

#include <cstdio>
#include <string_view>

namespace zor {
namespace {

void write_value(std::ostream& out, std::uint32_t value) { out << value; }
void write_value(std::ostream& out, std::uint64_t value) { out << value; }

// Texts are quoted with the escapes a reader of a failure report needs to see
// every byte: quotes, backslashes and control bytes.
void write_value(std::ostream& out, const std::string& text) {
  out << '"';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out << "\\\"";
        break;
      case '\\':
        out << "\\\\";
        break;
      case '\n':
        out << "\\n";
        break;
      case '\r':
        out << "\\r";
        break;
      case '\t':
        out << "\\t";
        break;
      default:
        if (byte < 0x20 || byte == 0x7f) {
          std::array<char, 8> escaped{};
          std::snprintf(escaped.data(), escaped.size(), "\\x%02x", static_cast<unsigned>(byte));
          out << escaped.data();
        } else {
          out << c;
        }
    }
  }
  out << '"';
}

template <class T>
void write_value(std::ostream& out, const T& value)
  requires requires { out << value; }
{
  out << value;
}

void write_value(std::ostream& out, const std::vector<std::uint8_t>& bytes) {
  out << '[';
  const char* separator = "";
  for (const auto byte : bytes) {
    out << separator << static_cast<unsigned>(byte);
    separator = ", ";
  }
  out << ']';
}

template <class T>
void write_value(std::ostream& out, const std::vector<T>& list) {
  out << '[';
  const char* separator = "";
  for (const auto& element : list) {
    out << separator;
    write_value(out, element);
    separator = ", ";
  }
  out << ']';
}

// Writes `Name { field: value, ... }`.
class StructWriter {
 public:
  StructWriter(std::ostream& out, std::string_view name) : out_(out) { out_ << name << " {"; }
  StructWriter(const StructWriter&) = delete;
  StructWriter& operator=(const StructWriter&) = delete;
  ~StructWriter() { out_ << (empty_ ? "}" : " }"); }

  template <class T>
  StructWriter& field(std::string_view name, const T& value) {
    out_ << (empty_ ? " " : ", ") << name << ": ";
    write_value(out_, value);
    empty_ = false;
    return *this;
  }

 private:
  std::ostream& out_;
  bool empty_ = true;
};

}  // namespace

std::ostream& operator<<(std::ostream& out, ProfileStepKind kind) {
  switch (kind) {
    case ProfileStepKind::Exchange:
      return out << "Exchange";
    case ProfileStepKind::Compute:
      return out << "Compute";
    case ProfileStepKind::Synchronization:
      return out << "Synchronization";
    case ProfileStepKind::Idle:
      return out << "Idle";
  }
  return out << "ProfileStepKind(" << static_cast<unsigned>(kind) << ")";
}

std::ostream& operator<<(std::ostream& out, ExchangeActivityKind kind) {
  switch (kind) {
    case ExchangeActivityKind::Send:
      return out << "Send";
    case ExchangeActivityKind::Receive:
      return out << "Receive";
    case ExchangeActivityKind::PartnerBusy:
      return out << "PartnerBusy";
  }
  return out << "ExchangeActivityKind(" << static_cast<unsigned>(kind) << ")";
}

std::ostream& operator<<(std::ostream& out, const Segment& value) {
  StructWriter(out, "Segment")
      .field("address", value.address)
      .field("memory_size", value.memory_size)
      .field("data", value.data)
      .field("flags", value.flags);
  return out;
}

std::ostream& operator<<(std::ostream& out, const TileImage& value) {
  StructWriter(out, "TileImage")
      .field("physical_tile", value.physical_tile)
      .field("entry_point", value.entry_point)
      .field("command_address", value.command_address)
      .field("diagnostic_address", value.diagnostic_address)
      .field("segments", value.segments);
  return out;
}

std::ostream& operator<<(std::ostream& out, const RegionSlice& value) {
  StructWriter(out, "RegionSlice")
      .field("tile", value.tile)
      .field("tile_address", value.tile_address)
      .field("file_offset", value.file_offset)
      .field("size", value.size);
  return out;
}

std::ostream& operator<<(std::ostream& out, const Binding& value) {
  StructWriter(out, "Binding")
      .field("name", value.name)
      .field("dtype", value.dtype)
      .field("shape", value.shape)
      .field("slices", value.slices);
  return out;
}

std::ostream& operator<<(std::ostream& out, const HostPage& value) {
  StructWriter(out, "HostPage").field("index", value.index).field("size", value.size);
  return out;
}

std::ostream& operator<<(std::ostream& out, const HostSlice& value) {
  StructWriter(out, "HostSlice")
      .field("page", value.page)
      .field("page_offset", value.page_offset)
      .field("file_offset", value.file_offset)
      .field("size", value.size);
  return out;
}

std::ostream& operator<<(std::ostream& out, const HostCall& value) {
  StructWriter(out, "HostCall")
      .field("name", value.name)
      .field("command", value.command)
      .field("phases", value.phases)
      .field("inputs", value.inputs)
      .field("outputs", value.outputs)
      .field("invocations", value.invocations)
      .field("input_batch_ends", value.input_batch_ends)
      .field("output_batch_ends", value.output_batch_ends);
  return out;
}

std::ostream& operator<<(std::ostream& out, const HostExchange& value) {
  StructWriter(out, "HostExchange")
      .field("startup_mark", value.startup_mark)
      .field("command_page", value.command_page)
      .field("command_offset", value.command_offset)
      .field("pages", value.pages)
      .field("attach_order", value.attach_order)
      .field("calls", value.calls);
  return out;
}

std::ostream& operator<<(std::ostream& out, const EntryPoint& value) {
  StructWriter(out, "EntryPoint")
      .field("name", value.name)
      .field("command", value.command)
      .field("external_syncs", value.external_syncs);
  return out;
}

std::ostream& operator<<(std::ostream& out, const DeviceConfigWrite& value) {
  StructWriter(out, "DeviceConfigWrite").field("offset", value.offset).field("value", value.value);
  return out;
}

std::ostream& operator<<(std::ostream& out, const ProfileMetadata& value) {
  StructWriter(out, "ProfileMetadata").field("name", value.name).field("value", value.value);
  return out;
}

std::ostream& operator<<(std::ostream& out, const ProfileExchangeActivity& value) {
  StructWriter(out, "ProfileExchangeActivity")
      .field("kind", value.kind)
      .field("start_cycle", value.start_cycle)
      .field("end_cycle", value.end_cycle);
  return out;
}

std::ostream& operator<<(std::ostream& out, const ProfileStep& value) {
  StructWriter(out, "ProfileStep")
      .field("local_index", value.local_index)
      .field("phase", value.phase)
      .field("epoch", value.epoch)
      .field("operation", value.operation)
      .field("kind", value.kind)
      .field("kernel", value.kernel)
      .field("metadata", value.metadata)
      .field("exchange_activities", value.exchange_activities)
      .field("exchange_event_cycles", value.exchange_event_cycles);
  return out;
}

std::ostream& operator<<(std::ostream& out, const TileProfilePlan& value) {
  StructWriter(out, "TileProfilePlan").field("physical_tile", value.physical_tile).field("steps", value.steps);
  return out;
}

std::ostream& operator<<(std::ostream& out, const DebugSymbol& value) {
  StructWriter(out, "DebugSymbol").field("name", value.name).field("address", value.address);
  return out;
}

std::ostream& operator<<(std::ostream& out, const DebugRegion& value) {
  StructWriter(out, "DebugRegion")
      .field("physical_tile", value.physical_tile)
      .field("address", value.address)
      .field("size", value.size)
      .field("name", value.name);
  return out;
}

std::ostream& operator<<(std::ostream& out, const CycleSample& value) {
  StructWriter(out, "CycleSample")
      .field("step", value.step)
      .field("start_cycle", value.start_cycle)
      .field("end_cycle", value.end_cycle);
  return out;
}

std::ostream& operator<<(std::ostream& out, const TileProfile& value) {
  StructWriter(out, "TileProfile").field("physical_tile", value.physical_tile).field("samples", value.samples);
  return out;
}

std::ostream& operator<<(std::ostream& out, const ProfileReport& value) {
  StructWriter(out, "ProfileReport").field("clock_hz", value.clock_hz).field("tiles", value.tiles);
  return out;
}

std::ostream& operator<<(std::ostream& out, const Application& value) {
  StructWriter(out, "Application")
      .field("compiler_version", value.compiler_version)
      .field("tiles", value.tiles)
      .field("inputs", value.inputs)
      .field("outputs", value.outputs)
      .field("weights", value.weights)
      .field("host_exchange", value.host_exchange)
      .field("entry_points", value.entry_points)
      .field("device_config_writes", value.device_config_writes)
      .field("profile_tiles", value.profile_tiles)
      .field("debug_symbols", value.debug_symbols)
      .field("debug_regions", value.debug_regions);
  return out;
}

}  // namespace zor
