#pragma once
// Owners of libcrypto's objects, each released by its own function.
#include <openssl/ecdsa.h>
#include <openssl/evp.h>

#include <memory>

namespace corv::openssl {

template <auto Free> struct Releaser {
    template <typename T> void operator()(T* object) const { Free(object); }
};
using Key = std::unique_ptr<EVP_PKEY, Releaser<EVP_PKEY_free>>;
using KeyContext = std::unique_ptr<EVP_PKEY_CTX, Releaser<EVP_PKEY_CTX_free>>;
using DigestContext = std::unique_ptr<EVP_MD_CTX, Releaser<EVP_MD_CTX_free>>;
using Signature = std::unique_ptr<ECDSA_SIG, Releaser<ECDSA_SIG_free>>;

} // namespace corv::openssl
