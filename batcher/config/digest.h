#pragma once
// MD5 (RFC 1321) and SHA-256 (FIPS 180-4) from the system's own library:
// BCrypt on Windows (win/digest_win.cpp), OpenSSL's libcrypto elsewhere
// (posix/digest_posix.cpp).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace corv {

enum class DigestKind { Md5, Sha256 };

class Digest {
  public:
    explicit Digest(DigestKind kind);
    ~Digest();
    Digest(const Digest&) = delete;
    Digest& operator=(const Digest&) = delete;

    void update(const void* data, size_t size);
    // The digest of everything given (16 or 32 bytes); nothing when the
    // system could not hash.
    std::optional<std::vector<uint8_t>> finish();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace corv
