#pragma once
// What the publisher of program lists does (the native quillmere-sign tool):
// make a key pair, pin each entry's archive by its SHA-256, and sign the list.
#include "batcher/config/signature_check.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct evp_pkey_st;

namespace corv {

// A P-256 private key (OpenSSL's libcrypto).
class SigningKey {
  public:
    static std::optional<SigningKey> generate();
    // A PEM private key; nothing unless it is one of the P-256 curve.
    static std::optional<SigningKey> fromPem(std::string_view pem);
    std::string pem() const;
    P256PublicKey publicKey() const;
    // r then s over the SHA-256 of the message.
    std::optional<std::array<uint8_t, kP256SignatureSize>>
    sign(std::span<const uint8_t> message) const;

  private:
    explicit SigningKey(evp_pkey_st* key);
    std::shared_ptr<evp_pkey_st> key_;
};

// The archive with that file name, or nothing when there is none.
using ArchiveLookup = std::function<std::optional<std::vector<uint8_t>>(std::string_view name)>;

// The list made ready for signing: its checksum in front replaced (a list
// that does not start with 32 hexadecimal digits gets one), "signer" lines
// replaced by one naming the key, and for each entry the checksum line and a
// "sha256" line made from its archive, found by the last part of its URL
// path. Nothing, with the reason, when an archive is missing.
std::optional<std::string> pinList(std::string_view list, const P256PublicKey& signer,
                                   const ArchiveLookup& archive, std::string& error);

// The line that builds the key into Quillmere (batcher/config/keys/trusted_keys.cpp).
std::string publicKeyLine(const P256PublicKey& key);

} // namespace corv
