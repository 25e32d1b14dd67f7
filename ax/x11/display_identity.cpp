#include "ax/x11/display_identity.h"

#include <array>
#include <cstdio>

namespace morvanta {

namespace {

// FNV-1a over the bytes, started from a given offset basis.
std::uint64_t fnv1a(const std::vector<std::uint8_t>& bytes, std::uint64_t basis) {
    std::uint64_t h = basis;
    for (const auto b : bytes) {
        h ^= b;
        h *= 0x100000001b3ULL;
    }
    return h;
}

} // namespace

std::string displayIdentity(const std::vector<std::uint8_t>& edid, const std::string& name) {
    // A block shorter than the 128-byte base block is no EDID.
    if (edid.size() < 128)
        return name;
    std::array<std::uint8_t, 16> bytes{};
    const std::uint64_t high = fnv1a(edid, 0xcbf29ce484222325ULL);
    const std::uint64_t low = fnv1a(edid, 0x84222325cbf29ce4ULL);
    for (int i = 0; i < 8; ++i) {
        bytes[i] = static_cast<std::uint8_t>(high >> (56 - 8 * i));
        bytes[8 + i] = static_cast<std::uint8_t>(low >> (56 - 8 * i));
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0f) | 0x80); // version 8: custom
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3f) | 0x80); // RFC variant
    char text[37];
    std::snprintf(text, sizeof(text),
                  "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", bytes[0],
                  bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8],
                  bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
    return text;
}

} // namespace morvanta
