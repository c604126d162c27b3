// quillmere-sign: makes the publisher's key pair and signs program lists.
//   quillmere-sign keygen KEY.pem              a new key pair; prints the public key's line
//   quillmere-sign public KEY.pem              prints that line again
//   quillmere-sign sign KEY.pem LIST [FOLDER]  pins the archives (in FOLDER, else beside the
//                                              list), rewrites LIST and writes LIST.sig
#include "batcher/config/signed_list.h"
#include "batcher/signing/list_signing.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::optional<std::string> readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool writeText(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) && out.flush();
}

// Only its owner may read a private key, and an existing one is never replaced.
bool writePrivateKey(const std::string& path, const std::string& pem) {
    int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (file < 0) return false;
    bool whole = write(file, pem.data(), pem.size()) == static_cast<ssize_t>(pem.size());
    return close(file) == 0 && whole;
}

int fail(const std::string& what) {
    std::fprintf(stderr, "quillmere-sign: %s\n", what.c_str());
    return 1;
}

int sign(const corv::SigningKey& key, const std::string& listPath, std::filesystem::path folder) {
    std::optional<std::string> list = readText(listPath);
    if (!list) return fail("cannot read " + listPath);
    std::string error;
    std::optional<std::string> pinned = corv::pinList(
        *list, key.publicKey(),
        [&](std::string_view name) -> std::optional<std::vector<uint8_t>> {
            std::optional<std::string> bytes = readText((folder / std::string(name)).string());
            if (!bytes) return std::nullopt;
            return std::vector<uint8_t>(bytes->begin(), bytes->end());
        },
        error);
    if (!pinned) return fail(error);
    auto signature =
        key.sign(std::span(reinterpret_cast<const uint8_t*>(pinned->data()), pinned->size()));
    if (!signature) return fail("signing failed");
    if (!writeText(listPath, *pinned) ||
        !writeText(
            listPath + corv::kSignatureSuffix,
            std::string_view(reinterpret_cast<const char*>(signature->data()), signature->size())))
        return fail("cannot write " + listPath + " or its signature");
    std::printf("signed %s with the key %s\n", listPath.c_str(),
                corv::keyFingerprint(key.publicKey()).c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 2 ? argv[1] : "";
    if (command == "keygen" && argc == 3) {
        std::optional<corv::SigningKey> key = corv::SigningKey::generate();
        if (!key || !writePrivateKey(argv[2], key->pem()))
            return fail(std::string("cannot make ") + argv[2] + " (it must not exist yet)");
        std::printf("%s\n", corv::publicKeyLine(key->publicKey()).c_str());
        return 0;
    }
    if ((command == "public" && argc == 3) || (command == "sign" && (argc == 4 || argc == 5))) {
        std::optional<std::string> pem = readText(argv[2]);
        std::optional<corv::SigningKey> key = pem ? corv::SigningKey::fromPem(*pem) : std::nullopt;
        if (!key) return fail(std::string(argv[2]) + " holds no P-256 private key");
        if (command == "public") {
            std::printf("%s\n", corv::publicKeyLine(key->publicKey()).c_str());
            return 0;
        }
        std::filesystem::path folder = argc == 5 ? std::filesystem::path(argv[4])
                                                 : std::filesystem::path(argv[3]).parent_path();
        return sign(*key, argv[3], folder);
    }
    std::fprintf(stderr, "usage: quillmere-sign keygen KEY.pem | public KEY.pem | sign KEY.pem "
                         "LIST [ARCHIVE_FOLDER]\n");
    return 2;
}
