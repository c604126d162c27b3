#include "batcher/config/md5.h"

#include <openssl/evp.h>

namespace corv {

struct Md5::State {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    bool ok = context && EVP_DigestInit_ex(context, EVP_md5(), nullptr) == 1;
    ~State() { EVP_MD_CTX_free(context); }
};

Md5::Md5() : state_(std::make_unique<State>()) {}
Md5::~Md5() = default;

void Md5::update(const void* data, size_t size) {
    if (state_->ok) state_->ok = EVP_DigestUpdate(state_->context, data, size) == 1;
}

std::optional<Md5Digest> Md5::finish() {
    Md5Digest digest{};
    unsigned length = 0;
    if (!state_->ok || EVP_DigestFinal_ex(state_->context, digest.data(), &length) != 1 ||
        length != digest.size())
        return std::nullopt;
    state_->ok = false;
    return digest;
}

} // namespace corv
