#include "batcher/config/signature_check.h"

#include "batcher/config/posix/openssl_owners.h"

#include <openssl/core_names.h>

namespace corv {
namespace {

using openssl::Key;
using openssl::KeyContext;
using openssl::Signature;
struct DerFree {
    void operator()(unsigned char* p) const { OPENSSL_free(p); }
};

// Importing the point checks that it lies on the curve.
Key publicKey(const P256PublicKey& xy) {
    uint8_t point[65] = {4}; // uncompressed
    std::copy(xy.begin(), xy.end(), point + 1);
    char group[] = "prime256v1";
    OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_PKEY_PARAM_GROUP_NAME, group, 0),
        OSSL_PARAM_construct_octet_string(OSSL_PKEY_PARAM_PUB_KEY, point, sizeof point),
        OSSL_PARAM_construct_end()};
    KeyContext context(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
    EVP_PKEY* key = nullptr;
    if (!context || EVP_PKEY_fromdata_init(context.get()) != 1 ||
        EVP_PKEY_fromdata(context.get(), &key, EVP_PKEY_PUBLIC_KEY, params) != 1)
        return nullptr;
    return Key(key);
}

} // namespace

bool verifyP256Digest(std::span<const uint8_t> sha256, std::span<const uint8_t> signature,
                      const P256PublicKey& xy) {
    if (sha256.size() != 32 || signature.size() != kP256SignatureSize) return false;
    Key key = publicKey(xy);
    Signature rs(ECDSA_SIG_new());
    if (!key || !rs) return false;
    BIGNUM* r = BN_bin2bn(signature.data(), 32, nullptr);
    BIGNUM* s = BN_bin2bn(signature.data() + 32, 32, nullptr);
    if (!r || !s || ECDSA_SIG_set0(rs.get(), r, s) != 1) {
        BN_free(r);
        BN_free(s);
        return false;
    }
    unsigned char* der = nullptr;
    int derSize = i2d_ECDSA_SIG(rs.get(), &der);
    std::unique_ptr<unsigned char, DerFree> owned(der);
    KeyContext context(EVP_PKEY_CTX_new(key.get(), nullptr));
    return derSize > 0 && context && EVP_PKEY_verify_init(context.get()) == 1 &&
           EVP_PKEY_CTX_set_signature_md(context.get(), EVP_sha256()) == 1 &&
           EVP_PKEY_verify(context.get(), der, static_cast<size_t>(derSize), sha256.data(),
                           sha256.size()) == 1;
}

} // namespace corv
