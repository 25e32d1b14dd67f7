// Ed25519Verifier: checks that a downloaded update carries a signature made with Morvanta's
// update signing key. Keys and signatures travel in base64, as appcast feeds carry them
// (a 32-byte public key, a 64-byte detached signature over the whole file). Uses OpenSSL's
// libcrypto, opened the first time a signature is checked: most runs never check one, and the
// library would otherwise be loaded into every run.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace morvanta {

class Ed25519Verifier {
public:
    enum class Result {
        valid,
        // The signature is not 64 bytes of base64.
        malformedSignature,
        // Well-formed, but not made with this key over these bytes.
        mismatch,
        // OpenSSL's libcrypto could not be opened: nothing can be said of the signature.
        unverifiable,
    };

    // None when the text is not exactly a 32-byte key in base64.
    static std::optional<Ed25519Verifier> fromBase64(std::string_view publicKey);

    Result verify(std::span<const std::uint8_t> message, std::string_view signatureBase64) const;

    // Strict standard base64 (padding required, whitespace around the text ignored);
    // none on any other character.
    static std::optional<std::vector<std::uint8_t>> decodeBase64(std::string_view text);

private:
    explicit Ed25519Verifier(const std::array<std::uint8_t, 32>& key) : key_(key) {}

    std::array<std::uint8_t, 32> key_;
};

} // namespace morvanta
