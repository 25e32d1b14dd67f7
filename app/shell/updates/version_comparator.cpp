#include "app/shell/updates/version_comparator.h"

#include <cctype>
#include <string>
#include <vector>

namespace morvanta {

namespace {

enum class PartKind { number, word, separator };

struct Part {
    PartKind kind;
    std::string_view text;
};

PartKind kindOf(char c) {
    auto u = static_cast<unsigned char>(c);
    if (std::isdigit(u))
        return PartKind::number;
    if (std::isalpha(u))
        return PartKind::word;
    return PartKind::separator;
}

std::vector<Part> split(std::string_view version) {
    std::vector<Part> parts;
    std::size_t i = 0;
    while (i < version.size()) {
        PartKind kind = kindOf(version[i]);
        std::size_t end = i + 1;
        if (kind != PartKind::separator) {
            while (end < version.size() && kindOf(version[end]) == kind)
                ++end;
        }
        parts.push_back({kind, version.substr(i, end - i)});
        i = end;
    }
    return parts;
}

// Digit runs compare by value without converting, so any length works: leading zeros are
// dropped, then the longer run is the larger number.
int compareNumbers(std::string_view a, std::string_view b) {
    auto strip = [](std::string_view s) {
        std::size_t first = s.find_first_not_of('0');
        return first == std::string_view::npos ? std::string_view() : s.substr(first);
    };
    a = strip(a);
    b = strip(b);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int compareWords(std::string_view a, std::string_view b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        int ca = std::tolower(static_cast<unsigned char>(a[i]));
        int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return 0;
}

// At the same place: a number is newer than a word (1.0 > 1.0b) and than a separator (1.10 >
// 1.-); a separator is newer than a word (1.0.1 > 1.0b).
int rank(PartKind kind) {
    switch (kind) {
    case PartKind::number:
        return 2;
    case PartKind::separator:
        return 1;
    case PartKind::word:
        return 0;
    }
    return 0;
}

} // namespace

int VersionComparator::compare(std::string_view a, std::string_view b) {
    std::vector<Part> partsA = split(a);
    std::vector<Part> partsB = split(b);
    std::size_t common = std::min(partsA.size(), partsB.size());
    for (std::size_t i = 0; i < common; ++i) {
        const Part& pa = partsA[i];
        const Part& pb = partsB[i];
        if (pa.kind != pb.kind)
            return rank(pa.kind) < rank(pb.kind) ? -1 : 1;
        int c = 0;
        if (pa.kind == PartKind::number)
            c = compareNumbers(pa.text, pb.text);
        else if (pa.kind == PartKind::word)
            c = compareWords(pa.text, pb.text);
        if (c != 0)
            return c;
    }
    // The longer version decides by its first extra number (newer) or word (a pre-release,
    // older); trailing separators alone change nothing.
    bool aLonger = partsA.size() > partsB.size();
    const std::vector<Part>& longer = aLonger ? partsA : partsB;
    for (std::size_t i = common; i < longer.size(); ++i) {
        if (longer[i].kind == PartKind::separator)
            continue;
        bool longerIsNewer = longer[i].kind == PartKind::number;
        return (longerIsNewer == aLonger) ? 1 : -1;
    }
    return 0;
}

bool VersionComparator::isWellFormed(std::string_view version) {
    if (version.empty() || version.size() > 64)
        return false;
    if (!std::isdigit(static_cast<unsigned char>(version.front())))
        return false;
    for (char c : version) {
        auto u = static_cast<unsigned char>(c);
        bool allowed = (u < 0x80 && std::isalnum(u)) || c == '.' || c == '-' || c == '_' ||
                       c == '+' || c == '~';
        if (!allowed)
            return false;
    }
    return true;
}

} // namespace morvanta
