// Diagnostic text of the model: the type name, then every field in
// declaration order as `name: value` in braces; texts quoted, lists in
// brackets, enumerators by name. Meant for people and failure reports.
#pragma once

#include <zor/package/model.hpp>

#include <concepts>
#include <ostream>

#include <fmt/ostream.h>

namespace zor {

std::ostream& operator<<(std::ostream& out, ProfileStepKind kind);
std::ostream& operator<<(std::ostream& out, ExchangeActivityKind kind);
std::ostream& operator<<(std::ostream& out, const Segment& value);
std::ostream& operator<<(std::ostream& out, const TileImage& value);
std::ostream& operator<<(std::ostream& out, const RegionSlice& value);
std::ostream& operator<<(std::ostream& out, const Binding& value);
std::ostream& operator<<(std::ostream& out, const HostPage& value);
std::ostream& operator<<(std::ostream& out, const HostSlice& value);
std::ostream& operator<<(std::ostream& out, const HostCall& value);
std::ostream& operator<<(std::ostream& out, const HostExchange& value);
std::ostream& operator<<(std::ostream& out, const EntryPoint& value);
std::ostream& operator<<(std::ostream& out, const DeviceConfigWrite& value);
std::ostream& operator<<(std::ostream& out, const ProfileMetadata& value);
std::ostream& operator<<(std::ostream& out, const ProfileExchangeActivity& value);
std::ostream& operator<<(std::ostream& out, const ProfileStep& value);
std::ostream& operator<<(std::ostream& out, const TileProfilePlan& value);
std::ostream& operator<<(std::ostream& out, const DebugSymbol& value);
std::ostream& operator<<(std::ostream& out, const DebugRegion& value);
std::ostream& operator<<(std::ostream& out, const CycleSample& value);
std::ostream& operator<<(std::ostream& out, const TileProfile& value);
std::ostream& operator<<(std::ostream& out, const ProfileReport& value);
std::ostream& operator<<(std::ostream& out, const Application& value);

namespace detail {
template <class T>
concept ModelValue =
    std::same_as<T, ProfileStepKind> || std::same_as<T, ExchangeActivityKind> || std::same_as<T, Segment> ||
    std::same_as<T, TileImage> || std::same_as<T, RegionSlice> || std::same_as<T, Binding> ||
    std::same_as<T, HostPage> || std::same_as<T, HostSlice> || std::same_as<T, HostCall> ||
    std::same_as<T, HostExchange> || std::same_as<T, EntryPoint> || std::same_as<T, DeviceConfigWrite> ||
    std::same_as<T, ProfileMetadata> || std::same_as<T, ProfileExchangeActivity> ||
    std::same_as<T, ProfileStep> || std::same_as<T, TileProfilePlan> || std::same_as<T, DebugSymbol> ||
    std::same_as<T, DebugRegion> || std::same_as<T, CycleSample> || std::same_as<T, TileProfile> ||
    std::same_as<T, ProfileReport> || std::same_as<T, Application>;
}  // namespace detail

}  // namespace zor

template <zor::detail::ModelValue T>
struct fmt::formatter<T, char> : fmt::ostream_formatter {};
