// TestSigningKey: a fresh Ed25519 key pair for one test, made with OpenSSL, that signs
// update downloads the way the release tooling does (base64 detached signatures).
#pragma once

#include <QByteArray>
#include <memory>
#include <openssl/evp.h>
#include <string>

namespace morvanta::testing {

class TestSigningKey {
public:
    TestSigningKey() : key_(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"), &EVP_PKEY_free) {}

    bool isValid() const { return key_ != nullptr; }

    std::string publicKeyBase64() const {
        QByteArray raw(32, '\0');
        std::size_t size = 32;
        EVP_PKEY_get_raw_public_key(key_.get(), reinterpret_cast<unsigned char*>(raw.data()),
                                    &size);
        return raw.toBase64().toStdString();
    }

    std::string sign(const QByteArray& message) const {
        std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                        &EVP_MD_CTX_free);
        QByteArray signature(64, '\0');
        std::size_t size = 64;
        EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key_.get());
        EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(signature.data()), &size,
                       reinterpret_cast<const unsigned char*>(message.constData()),
                       static_cast<std::size_t>(message.size()));
        return signature.toBase64().toStdString();
    }

private:
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key_;
};

} // namespace morvanta::testing
