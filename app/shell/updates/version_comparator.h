// VersionComparator: orders version strings the way appcast feeds expect. A version is split
// into runs of digits, runs of letters and single separators; numbers compare by value,
// words alphabetically (ignoring case). A number beats a word at the same place, so 1.0 is
// newer than 1.0b2; extra parts count only from their first number or word: 1.0.1 is newer
// than 1.0, 1.0b1 older than 1.0, and "1.0" equals "1.0.".
#pragma once

#include <string_view>

namespace morvanta {

class VersionComparator {
public:
    // Negative when a is older than b, zero when they are the same version, positive when newer.
    static int compare(std::string_view a, std::string_view b);

    // A version this comparator can order meaningfully: 1 to 64 characters, starting with a
    // digit, made of letters, digits and the separators . - _ + ~ only.
    static bool isWellFormed(std::string_view version);
};

} // namespace morvanta
