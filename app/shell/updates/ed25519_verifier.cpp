#include "app/shell/updates/ed25519_verifier.h"

#include <algorithm>
#include <dlfcn.h>
#include <memory>
#include <openssl/evp.h>

namespace morvanta {

namespace {

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

std::string_view trimmed(std::string_view text) {
    const char* space = " \t\r\n";
    std::size_t first = text.find_first_not_of(space);
    if (first == std::string_view::npos)
        return {};
    std::size_t last = text.find_last_not_of(space);
    return text.substr(first, last - first + 1);
}

// The libcrypto functions a check needs, found once; all null when the library is missing.
struct Crypto {
    decltype(&EVP_PKEY_new_raw_public_key) newRawPublicKey = nullptr;
    decltype(&EVP_PKEY_free) freeKey = nullptr;
    decltype(&EVP_MD_CTX_new) newContext = nullptr;
    decltype(&EVP_MD_CTX_free) freeContext = nullptr;
    decltype(&EVP_DigestVerifyInit) verifyInit = nullptr;
    decltype(&EVP_DigestVerify) verify = nullptr;

    bool complete() const {
        return newRawPublicKey && freeKey && newContext && freeContext && verifyInit && verify;
    }
};

template <typename Function> void find(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
}

const Crypto& crypto() {
    static const Crypto found = [] {
        Crypto c;
        // Stays open for the process, like a library linked at start.
        void* library = dlopen("libcrypto.so.3", RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return c;
        find(library, "EVP_PKEY_new_raw_public_key", c.newRawPublicKey);
        find(library, "EVP_PKEY_free", c.freeKey);
        find(library, "EVP_MD_CTX_new", c.newContext);
        find(library, "EVP_MD_CTX_free", c.freeContext);
        find(library, "EVP_DigestVerifyInit", c.verifyInit);
        find(library, "EVP_DigestVerify", c.verify);
        return c.complete() ? c : Crypto{};
    }();
    return found;
}

} // namespace

std::optional<std::vector<std::uint8_t>> Ed25519Verifier::decodeBase64(std::string_view text) {
    text = trimmed(text);
    if (text.size() % 4 != 0)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        bool last = i + 4 == text.size();
        int padding = 0;
        std::uint32_t group = 0;
        for (std::size_t j = 0; j < 4; ++j) {
            char c = text[i + j];
            int value = base64Value(c);
            if (c == '=' && last && j >= 2) {
                ++padding;
                value = 0;
            } else if (value < 0 || padding > 0) {
                return std::nullopt;
            }
            group = (group << 6) | static_cast<std::uint32_t>(value);
        }
        bytes.push_back(static_cast<std::uint8_t>(group >> 16));
        if (padding < 2)
            bytes.push_back(static_cast<std::uint8_t>(group >> 8));
        if (padding < 1)
            bytes.push_back(static_cast<std::uint8_t>(group));
    }
    return bytes;
}

std::optional<Ed25519Verifier> Ed25519Verifier::fromBase64(std::string_view publicKey) {
    std::optional<std::vector<std::uint8_t>> bytes = decodeBase64(publicKey);
    if (!bytes || bytes->size() != 32)
        return std::nullopt;
    std::array<std::uint8_t, 32> key{};
    std::copy(bytes->begin(), bytes->end(), key.begin());
    return Ed25519Verifier(key);
}

Ed25519Verifier::Result Ed25519Verifier::verify(std::span<const std::uint8_t> message,
                                                std::string_view signatureBase64) const {
    std::optional<std::vector<std::uint8_t>> signature = decodeBase64(signatureBase64);
    if (!signature || signature->size() != 64)
        return Result::malformedSignature;

    const Crypto& c = crypto();
    if (!c.complete())
        return Result::unverifiable;
    std::unique_ptr<EVP_PKEY, decltype(c.freeKey)> key(
        c.newRawPublicKey(EVP_PKEY_ED25519, nullptr, key_.data(), key_.size()), c.freeKey);
    std::unique_ptr<EVP_MD_CTX, decltype(c.freeContext)> context(c.newContext(), c.freeContext);
    if (!key || !context)
        return Result::mismatch;
    if (c.verifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1)
        return Result::mismatch;
    int outcome = c.verify(context.get(), signature->data(), signature->size(), message.data(),
                           message.size());
    return outcome == 1 ? Result::valid : Result::mismatch;
}

} // namespace morvanta
