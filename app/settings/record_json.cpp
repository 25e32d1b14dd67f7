#include "app/settings/record_json.h"

namespace morvanta {

using nlohmann::json;

json toJson(const DisplayID& display) {
    return json{{"raw", display.raw}};
}

json toJson(const LayoutOptions& options) {
    return json{{"innerGap", options.innerGap},
                {"outerGap", options.outerGap},
                {"mainRatio", options.mainRatio}};
}

json toJson(LayoutKind kind) {
    return std::string(rawValue(kind));
}

std::optional<DisplayID> displayIDFromJson(const json& value) {
    if (!value.is_object())
        return std::nullopt;
    auto raw = value.find("raw");
    if (raw == value.end() || !raw->is_string())
        return std::nullopt;
    return DisplayID{raw->get<std::string>()};
}

std::optional<LayoutOptions> layoutOptionsFromJson(const json& value) {
    if (!value.is_object())
        return std::nullopt;
    LayoutOptions options;
    for (auto [key, field] :
         {std::pair{"innerGap", &options.innerGap}, std::pair{"outerGap", &options.outerGap},
          std::pair{"mainRatio", &options.mainRatio}}) {
        auto member = value.find(key);
        if (member == value.end() || !member->is_number())
            return std::nullopt;
        *field = member->get<double>();
    }
    return options;
}

std::optional<LayoutKind> layoutKindFromJson(const json& value) {
    if (!value.is_string())
        return std::nullopt;
    return layoutKindFromRaw(value.get_ref<const std::string&>());
}

} // namespace morvanta
