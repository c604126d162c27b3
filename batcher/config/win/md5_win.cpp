#include "batcher/config/md5.h"

#include <windows.h>

#include <bcrypt.h>

#include <algorithm>

namespace corv {

struct Md5::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool ok =
        BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_MD5_ALGORITHM, nullptr, 0)) &&
        BCRYPT_SUCCESS(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0));
    ~State() {
        if (hash) BCryptDestroyHash(hash);
        if (algorithm) BCryptCloseAlgorithmProvider(algorithm, 0);
    }
};

Md5::Md5() : state_(std::make_unique<State>()) {}
Md5::~Md5() = default;

void Md5::update(const void* data, size_t size) {
    auto* bytes = static_cast<UCHAR*>(const_cast<void*>(data));
    // BCrypt takes at most 4 GB per call.
    while (state_->ok && size > 0) {
        ULONG piece = static_cast<ULONG>(std::min<size_t>(size, 0x40000000));
        state_->ok = BCRYPT_SUCCESS(BCryptHashData(state_->hash, bytes, piece, 0));
        bytes += piece;
        size -= piece;
    }
}

std::optional<Md5Digest> Md5::finish() {
    Md5Digest digest{};
    if (!state_->ok ||
        !BCRYPT_SUCCESS(BCryptFinishHash(state_->hash, digest.data(), digest.size(), 0)))
        return std::nullopt;
    state_->ok = false;
    return digest;
}

} // namespace corv
