#pragma once
// MD5 (RFC 1321) from the system's own library: BCrypt on Windows
// (win/md5_win.cpp), OpenSSL's libcrypto elsewhere (posix/md5_posix.cpp).
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace corv {

using Md5Digest = std::array<uint8_t, 16>;

class Md5 {
  public:
    Md5();
    ~Md5();
    Md5(const Md5&) = delete;
    Md5& operator=(const Md5&) = delete;

    void update(const void* data, size_t size);
    // The digest of everything given; nothing when the system could not hash.
    std::optional<Md5Digest> finish();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace corv
