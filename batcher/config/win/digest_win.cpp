#include "batcher/config/digest.h"

#include <windows.h>

#include <bcrypt.h>

#include <algorithm>

namespace corv {

struct Digest::State {
    explicit State(DigestKind kind)
        : size(kind == DigestKind::Md5 ? 16 : 32),
          ok(BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(
                 &algorithm,
                 kind == DigestKind::Md5 ? BCRYPT_MD5_ALGORITHM : BCRYPT_SHA256_ALGORITHM, nullptr,
                 0)) &&
             BCRYPT_SUCCESS(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0))) {}
    ~State() {
        if (hash) BCryptDestroyHash(hash);
        if (algorithm) BCryptCloseAlgorithmProvider(algorithm, 0);
    }
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    ULONG size;
    bool ok;
};

Digest::Digest(DigestKind kind) : state_(std::make_unique<State>(kind)) {}
Digest::~Digest() = default;

void Digest::update(const void* data, size_t size) {
    auto* bytes = static_cast<UCHAR*>(const_cast<void*>(data));
    // BCrypt takes at most 4 GB per call.
    while (state_->ok && size > 0) {
        ULONG piece = static_cast<ULONG>(std::min<size_t>(size, 0x40000000));
        state_->ok = BCRYPT_SUCCESS(BCryptHashData(state_->hash, bytes, piece, 0));
        bytes += piece;
        size -= piece;
    }
}

std::optional<std::vector<uint8_t>> Digest::finish() {
    std::vector<uint8_t> digest(state_->size);
    if (!state_->ok ||
        !BCRYPT_SUCCESS(BCryptFinishHash(state_->hash, digest.data(), state_->size, 0)))
        return std::nullopt;
    state_->ok = false;
    return digest;
}

} // namespace corv
