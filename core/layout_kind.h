// LayoutKind: the five ways a workspace arranges its tiled windows, with the names and
// one-line descriptions that menus, the command panel and the preview cards show.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string_view>

namespace morvanta {

enum class LayoutKind { columns, rows, mainStack, grid, monocle };

inline constexpr std::array<LayoutKind, 5> allLayoutKinds = {LayoutKind::columns, LayoutKind::rows,
                                                             LayoutKind::mainStack,
                                                             LayoutKind::grid, LayoutKind::monocle};

// "columns", "rows", "mainStack", "grid", "monocle": the stored form.
std::string_view rawValue(LayoutKind kind);
// None for any string that is not exactly one of the five raw values.
std::optional<LayoutKind> layoutKindFromRaw(std::string_view raw);
std::string_view displayName(LayoutKind kind);
std::string_view layoutDescription(LayoutKind kind);

} // namespace morvanta

template <> struct std::hash<morvanta::LayoutKind> {
    std::size_t operator()(morvanta::LayoutKind kind) const noexcept {
        return std::hash<std::string_view>{}(morvanta::rawValue(kind));
    }
};
