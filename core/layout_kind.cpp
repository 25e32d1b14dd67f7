#include "core/layout_kind.h"

namespace morvanta {

namespace {

struct LayoutKindTexts {
    LayoutKind kind;
    std::string_view raw;
    std::string_view name;
    std::string_view description;
};

constexpr std::array<LayoutKindTexts, 5> layoutTexts = {{
    {LayoutKind::columns, "columns", "Columns", "Windows side by side"},
    {LayoutKind::rows, "rows", "Rows", "Windows stacked top to bottom"},
    {LayoutKind::mainStack, "mainStack", "Main + Stack", "One big window, the rest stacked"},
    {LayoutKind::grid, "grid", "Grid", "Equal tiles"},
    {LayoutKind::monocle, "monocle", "Monocle", "One window at a time, full screen"},
}};

const LayoutKindTexts& textsOf(LayoutKind kind) {
    return layoutTexts[static_cast<std::size_t>(kind)];
}

} // namespace

std::string_view rawValue(LayoutKind kind) {
    return textsOf(kind).raw;
}
std::string_view displayName(LayoutKind kind) {
    return textsOf(kind).name;
}
std::string_view layoutDescription(LayoutKind kind) {
    return textsOf(kind).description;
}

std::optional<LayoutKind> layoutKindFromRaw(std::string_view raw) {
    for (const auto& texts : layoutTexts)
        if (texts.raw == raw)
            return texts.kind;
    return std::nullopt;
}

} // namespace morvanta
