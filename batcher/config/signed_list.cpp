#include "batcher/config/signed_list.h"

#include "batcher/config/digest.h"
#include "batcher/config/download_texts.h"
#include "batcher/config/program_list.h"

#include <algorithm>

namespace corv {
namespace {

// The fingerprint a "signer" line names, when the list has one: the rest of
// the first line (of the text after the list's checksum) that begins with it.
std::optional<std::string_view> namedSigner(std::span<const uint8_t> list) {
    if (list.size() < kChecksumLength) return std::nullopt;
    std::string_view text(reinterpret_cast<const char*>(list.data()) + kChecksumLength,
                          list.size() - kChecksumLength);
    for (size_t start = 0; start < text.size();) {
        size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        if (line.starts_with(kSignerLine)) return line.substr(kSignerLine.size());
        start = end + 1;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::vector<uint8_t>> sha256Of(std::span<const uint8_t> bytes) {
    Digest sha256(DigestKind::Sha256);
    sha256.update(bytes.data(), bytes.size());
    return sha256.finish();
}

std::string keyFingerprint(const P256PublicKey& key) {
    std::optional<std::vector<uint8_t>> digest = sha256Of(key);
    return digest ? digestText(std::span(*digest).first(8)) : std::string();
}

ListSignature checkListSignature(std::span<const uint8_t> list,
                                 const std::optional<std::vector<uint8_t>>& signature,
                                 std::span<const P256PublicKey> keys) {
    if (!signature) return ListSignature::Missing;
    if (signature->size() != kP256SignatureSize) return ListSignature::Damaged;
    std::optional<std::vector<uint8_t>> digest = sha256Of(list);
    if (digest && std::any_of(keys.begin(), keys.end(), [&](const P256PublicKey& key) {
            return verifyP256Digest(*digest, *signature, key);
        }))
        return ListSignature::Valid;
    std::optional<std::string_view> signer = namedSigner(list);
    bool ours = signer && std::any_of(keys.begin(), keys.end(), [&](const P256PublicKey& key) {
                    return *signer == keyFingerprint(key);
                });
    return ours ? ListSignature::Altered : ListSignature::UnknownKey;
}

std::optional<std::string_view> listRefusal(ListSignature signature, bool refuseUnsigned) {
    if (signature == ListSignature::Valid || !refuseUnsigned) return std::nullopt;
    switch (signature) {
    case ListSignature::Missing:
        return kListUnsignedMessage;
    case ListSignature::Damaged:
        return kListSignatureDamagedMessage;
    case ListSignature::UnknownKey:
        return kListUnknownKeyMessage;
    default:
        return kListAlteredMessage;
    }
}

} // namespace corv
