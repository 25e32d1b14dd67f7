#include "ax/x11/tiling_window_managers.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace morvanta {

namespace {

std::string trimmedLowerCase(std::string_view text) {
    auto isSpace = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    std::string out(text);
    std::ranges::transform(out, out.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    return out;
}

} // namespace

bool isTilingWindowManager(std::string_view name) {
    const std::string wanted = trimmedLowerCase(name);
    return std::ranges::any_of(tilingWindowManagerNames, [&](std::string_view known) {
        if (!wanted.starts_with(known))
            return false;
        if (wanted.size() == known.size())
            return true;
        const auto next = static_cast<unsigned char>(wanted[known.size()]);
        // Multi-byte UTF-8 continues a word as much as a letter does.
        return next < 0x80 && std::isalnum(next) == 0;
    });
}

} // namespace morvanta
