// Workspace numbers: 1-9 are the digit workspaces, 101-126 the letter workspaces A-Z.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace morvanta {

inline constexpr int firstLetterWorkspace = 101; // A
inline constexpr int lastLetterWorkspace = 126;  // Z

inline bool isLetterWorkspace(int number) {
    return number >= firstLetterWorkspace && number <= lastLetterWorkspace;
}
inline bool isDigitWorkspace(int number) {
    return number >= 1 && number <= 9;
}

// The digit, or the capital letter of a letter workspace; any other number prints in decimal.
std::string workspaceLabel(int number);

// The letter workspace a typed character names, after upper-casing it: "a" and "A" give 101.
// Anything whose upper-case form does not start with an ASCII letter gives none.
std::optional<int> letterWorkspaceNumber(std::string_view character);

// The workspace number a stored key names: an optional sign and decimal digits, nothing else,
// naming a digit or letter workspace. None for anything else, including overflow.
std::optional<int> workspaceNumberFromKey(std::string_view key);

} // namespace morvanta
