#include "batcher/config/digest.h"

#include <openssl/evp.h>

namespace corv {

struct Digest::State {
    explicit State(DigestKind kind)
        : ok(context &&
             EVP_DigestInit_ex(context, kind == DigestKind::Md5 ? EVP_md5() : EVP_sha256(),
                               nullptr) == 1) {}
    ~State() { EVP_MD_CTX_free(context); }
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    bool ok;
};

Digest::Digest(DigestKind kind) : state_(std::make_unique<State>(kind)) {}
Digest::~Digest() = default;

void Digest::update(const void* data, size_t size) {
    if (state_->ok) state_->ok = EVP_DigestUpdate(state_->context, data, size) == 1;
}

std::optional<std::vector<uint8_t>> Digest::finish() {
    std::vector<uint8_t> digest(EVP_MAX_MD_SIZE);
    unsigned length = 0;
    if (!state_->ok || EVP_DigestFinal_ex(state_->context, digest.data(), &length) != 1)
        return std::nullopt;
    state_->ok = false;
    digest.resize(length);
    return digest;
}

} // namespace corv
