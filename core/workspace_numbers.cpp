#include "core/workspace_numbers.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace morvanta {

namespace {

struct DecodedCodePoint {
    char32_t value = 0;
    std::size_t length = 0; // 0: not valid UTF-8
};

DecodedCodePoint decodeUtf8(std::string_view text) {
    if (text.empty())
        return {};
    auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(0);
    std::size_t length = 0;
    char32_t value = 0;
    if (lead < 0x80)
        return {lead, 1};
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
    } else {
        return {};
    }
    if (text.size() < length)
        return {};
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return {};
        value = (value << 6) | (byte(i) & 0x3F);
    }
    return {value, length};
}

bool isCombiningMark(char32_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
           (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
           (c >= 0xFE20 && c <= 0xFE2F) || c == 0x200D || (c >= 0xFE00 && c <= 0xFE0F);
}

// Upper-case first letter of a code point, when that letter is plain ASCII. Besides a-z this
// covers the few characters whose full upper-case form is several letters starting with an
// ASCII one (ß → SS, ﬁ → FI, …), so the answer matches upper-casing the whole character.
std::optional<char> asciiUpperInitial(char32_t c) {
    if (c >= U'a' && c <= U'z')
        return static_cast<char>(c - U'a' + U'A');
    if (c >= U'A' && c <= U'Z')
        return static_cast<char>(c);
    switch (c) {
    case 0x00DF: // ß
    case 0xFB05: // ﬅ
    case 0xFB06: // ﬆ
        return 'S';
    case 0xFB00: // ﬀ
    case 0xFB01: // ﬁ
    case 0xFB02: // ﬂ
    case 0xFB03: // ﬃ
    case 0xFB04: // ﬄ
        return 'F';
    case 0x1E9A: // ẚ
        return 'A';
    default:
        return std::nullopt;
    }
}

} // namespace

std::string workspaceLabel(int number) {
    if (isLetterWorkspace(number))
        return std::string(1, static_cast<char>('A' + (number - firstLetterWorkspace)));
    return std::to_string(number);
}

std::optional<int> letterWorkspaceNumber(std::string_view character) {
    const DecodedCodePoint first = decodeUtf8(character);
    if (first.length == 0)
        return std::nullopt;
    // A base letter followed by a combining mark is one accented character (e + ◌́ = é).
    const DecodedCodePoint next = decodeUtf8(character.substr(first.length));
    if (next.length != 0 && isCombiningMark(next.value))
        return std::nullopt;
    const std::optional<char> initial = asciiUpperInitial(first.value);
    if (!initial)
        return std::nullopt;
    return static_cast<int>(*initial) + 36;
}

std::optional<int> workspaceNumberFromKey(std::string_view key) {
    std::string_view digits = key;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-'))
        digits.remove_prefix(1);
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    // from_chars takes a minus sign but not a plus.
    const char* first = key.front() == '+' ? key.data() + 1 : key.data();
    const char* last = key.data() + key.size();
    int value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc{} || end != last)
        return std::nullopt;
    if (!isDigitWorkspace(value) && !isLetterWorkspace(value))
        return std::nullopt;
    return value;
}

} // namespace morvanta
