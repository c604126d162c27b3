#include "batcher/signing/list_signing.h"

#include "batcher/config/batcher_settings.h"
#include "batcher/config/posix/openssl_owners.h"
#include "batcher/config/program_list.h"
#include "platform/text_format.h"

#include <openssl/core_names.h>
#include <openssl/pem.h>

#include <algorithm>
#include <cctype>

namespace corv {
namespace {

using Bio = std::unique_ptr<BIO, openssl::Releaser<BIO_free>>;
using openssl::DigestContext;
using openssl::Signature;

bool isListKeyLine(std::string_view line) {
    for (int index = 0; index < kProgramCount; ++index)
        if (std::optional<std::string_view> key = programListKey(index);
            key && line.starts_with(*key))
            return true;
    return false;
}

bool startsWithChecksum(std::string_view list) {
    return list.size() >= kChecksumLength &&
           std::all_of(list.begin(), list.begin() + kChecksumLength,
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        size_t end = std::min(text.find('\n'), text.size());
        lines.push_back(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

} // namespace

SigningKey::SigningKey(evp_pkey_st* key) : key_(key, EVP_PKEY_free) {}

std::optional<SigningKey> SigningKey::generate() {
    EVP_PKEY* key = EVP_EC_gen("P-256");
    if (!key) return std::nullopt;
    return SigningKey(key);
}

std::optional<SigningKey> SigningKey::fromPem(std::string_view pem) {
    Bio bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    EVP_PKEY* key = bio ? PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr) : nullptr;
    if (!key) return std::nullopt;
    SigningKey signing(key);
    char group[32] = {};
    if (!EVP_PKEY_is_a(key, "EC") ||
        EVP_PKEY_get_utf8_string_param(key, OSSL_PKEY_PARAM_GROUP_NAME, group, sizeof group,
                                       nullptr) != 1 ||
        std::string_view(group) != "prime256v1")
        return std::nullopt;
    return signing;
}

std::string SigningKey::pem() const {
    Bio bio(BIO_new(BIO_s_mem()));
    char* data = nullptr;
    if (!bio ||
        PEM_write_bio_PrivateKey(bio.get(), key_.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1)
        return {};
    long size = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<size_t>(size));
}

P256PublicKey SigningKey::publicKey() const {
    uint8_t point[65] = {};
    size_t size = 0;
    P256PublicKey xy{};
    if (EVP_PKEY_get_octet_string_param(key_.get(), OSSL_PKEY_PARAM_ENCODED_PUBLIC_KEY, point,
                                        sizeof point, &size) == 1 &&
        size == sizeof point && point[0] == 4)
        std::copy(point + 1, point + sizeof point, xy.begin());
    return xy;
}

std::optional<std::array<uint8_t, kP256SignatureSize>>
SigningKey::sign(std::span<const uint8_t> message) const {
    DigestContext context(EVP_MD_CTX_new());
    size_t size = 0;
    if (!context ||
        EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, key_.get()) != 1 ||
        EVP_DigestSign(context.get(), nullptr, &size, message.data(), message.size()) != 1)
        return std::nullopt;
    std::vector<uint8_t> der(size);
    if (EVP_DigestSign(context.get(), der.data(), &size, message.data(), message.size()) != 1)
        return std::nullopt;
    const unsigned char* at = der.data();
    Signature rs(d2i_ECDSA_SIG(nullptr, &at, static_cast<long>(size)));
    std::array<uint8_t, kP256SignatureSize> raw{};
    if (!rs || BN_bn2binpad(ECDSA_SIG_get0_r(rs.get()), raw.data(), 32) != 32 ||
        BN_bn2binpad(ECDSA_SIG_get0_s(rs.get()), raw.data() + 32, 32) != 32)
        return std::nullopt;
    return raw;
}

std::optional<std::string> pinList(std::string_view list, const P256PublicKey& signer,
                                   const ArchiveLookup& archive, std::string& error) {
    if (startsWithChecksum(list)) list.remove_prefix(kChecksumLength);
    std::string body = std::string(kSignerLine) + keyFingerprint(signer) + "\n";
    std::vector<std::string_view> lines = linesOf(list);
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line.starts_with(kSignerLine)) continue;
        body.append(line).append("\n");
        if (!isListKeyLine(line)) continue;
        if (i + 3 >= lines.size()) {
            error = formatText("the entry \"%s\" is cut short", std::string(line).c_str());
            return std::nullopt;
        }
        std::string_view path = lines[i + 2];
        std::string_view name = path.substr(path.rfind('/') + 1);
        std::optional<std::vector<uint8_t>> bytes = archive(name);
        std::optional<std::vector<uint8_t>> sha256 = bytes ? sha256Of(*bytes) : std::nullopt;
        if (!sha256) {
            error = formatText("no archive \"%s\" for \"%s\"", std::string(name).c_str(),
                               std::string(line).c_str());
            return std::nullopt;
        }
        MemorySource source(*bytes);
        body.append(lines[i + 1]).append("\n").append(path).append("\n");
        body += downloadChecksum(source, 0) + "\n" + std::string(kSha256Line) +
                digestText(*sha256) + "\n";
        i += 3;
        if (i + 1 < lines.size() && lines[i + 1].starts_with("sha256")) ++i;
    }
    std::string whole = std::string(kChecksumLength, '0') + body;
    MemorySource source(reinterpret_cast<const uint8_t*>(whole.data()), whole.size());
    std::string checksum = downloadChecksum(source, kChecksumLength);
    if (checksum.size() != kChecksumLength) {
        error = "the list could not be hashed";
        return std::nullopt;
    }
    return whole.replace(0, kChecksumLength, checksum);
}

std::string publicKeyLine(const P256PublicKey& key) {
    std::string line = "{";
    for (size_t i = 0; i < key.size(); ++i)
        appendPrintf(line, "%s0x%02X", i == 0 ? "" : ", ", key[i]);
    return line + "}, // " + keyFingerprint(key);
}

} // namespace corv
