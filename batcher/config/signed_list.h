#pragma once
// Signed program lists. Beside "ProgramList.txt" lies "ProgramList.txt.sig":
// an ECDSA P-256 signature over the SHA-256 of all the list's bytes, r then s
// (64 bytes). Quillmere trusts the keys built into it, any of them, so that
// a key can be replaced by the next one without a gap. A list names the key
// it was signed with in a line "signer <fingerprint>", which readers of the
// list's entries skip like any other line; it tells a list signed with a key
// Quillmere does not know from one altered after signing.
#include "batcher/config/signature_check.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corv {

inline constexpr char kSignatureSuffix[] = ".sig";
inline constexpr std::string_view kSignerLine = "signer ";

// What a user decides about lists: the keys come with the build.
struct ListPolicy {
    std::span<const P256PublicKey> keys;
    bool refuseUnsigned = true;
};

enum class ListSignature { Valid, Missing, Damaged, UnknownKey, Altered };

// The first 8 bytes of the SHA-256 of the key's 64 bytes, as 16 upper-case
// hexadecimal digits.
std::string keyFingerprint(const P256PublicKey& key);

std::optional<std::vector<uint8_t>> sha256Of(std::span<const uint8_t> bytes);

// The list is its whole file, the signature the file beside it (nothing when
// there is none).
ListSignature checkListSignature(std::span<const uint8_t> list,
                                 const std::optional<std::vector<uint8_t>>& signature,
                                 std::span<const P256PublicKey> keys);

// The message that refuses a list, or nothing when it may be used: a valid
// signature always, anything else only when unsigned lists are allowed.
std::optional<std::string_view> listRefusal(ListSignature signature, bool refuseUnsigned);

} // namespace corv
