// JSON forms of the tiling model's records, used by settings files:
//   DisplayID      {"raw": "<string>"}; decoding requires "raw" to hold a string
//   LayoutOptions  {"innerGap": n, "outerGap": n, "mainRatio": n}; all three required and
//                  numeric, values kept unclamped
//   LayoutKind     its raw string; an unknown string does not decode
// Decoders answer none for anything else and never throw. Members they do not know are
// ignored.
#pragma once

#include "core/core.h"

#include <nlohmann/json.hpp>
#include <optional>

namespace morvanta {

nlohmann::json toJson(const DisplayID& display);
nlohmann::json toJson(const LayoutOptions& options);
nlohmann::json toJson(LayoutKind kind);

std::optional<DisplayID> displayIDFromJson(const nlohmann::json& value);
std::optional<LayoutOptions> layoutOptionsFromJson(const nlohmann::json& value);
std::optional<LayoutKind> layoutKindFromJson(const nlohmann::json& value);

} // namespace morvanta
