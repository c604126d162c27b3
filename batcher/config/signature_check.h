#pragma once
// ECDSA P-256 signatures over SHA-256, checked with the system's own library:
// BCrypt on Windows (win/signature_check_win.cpp), OpenSSL's libcrypto
// elsewhere (posix/signature_check_posix.cpp).
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace corv {

// A public key as the point's X then Y, 32 big-endian bytes each.
using P256PublicKey = std::array<uint8_t, 64>;
// A signature is r then s, 32 big-endian bytes each.
inline constexpr size_t kP256SignatureSize = 64;

// True when the signature is the key's over this SHA-256 digest. A digest or
// signature of another size, or a key that is no point of the curve, is false.
bool verifyP256Digest(std::span<const uint8_t> sha256, std::span<const uint8_t> signature,
                      const P256PublicKey& key);

} // namespace corv
