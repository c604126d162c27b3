#include "batcher/config/signature_check.h"

#include <windows.h>

#include <bcrypt.h>

#include <cstring>

namespace corv {

bool verifyP256Digest(std::span<const uint8_t> sha256, std::span<const uint8_t> signature,
                      const P256PublicKey& xy) {
    if (sha256.size() != 32 || signature.size() != kP256SignatureSize) return false;
    struct {
        BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
        UCHAR xy[64];
    } blob;
    std::memcpy(blob.xy, xy.data(), sizeof blob.xy);
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_KEY_HANDLE key = nullptr;
    bool valid =
        BCRYPT_SUCCESS(
            BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0)) &&
        BCRYPT_SUCCESS(BCryptImportKeyPair(algorithm, nullptr, BCRYPT_ECCPUBLIC_BLOB, &key,
                                           reinterpret_cast<UCHAR*>(&blob), sizeof blob, 0)) &&
        BCRYPT_SUCCESS(BCryptVerifySignature(key, nullptr, const_cast<UCHAR*>(sha256.data()), 32,
                                             const_cast<UCHAR*>(signature.data()),
                                             kP256SignatureSize, 0));
    if (key) BCryptDestroyKey(key);
    if (algorithm) BCryptCloseAlgorithmProvider(algorithm, 0);
    return valid;
}

} // namespace corv
