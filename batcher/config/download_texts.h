#pragma once
// What the downloads tell the user (message boxes titled "Quillmere").
#include <string_view>

namespace corv {

inline constexpr std::string_view kDownloadFailedMessage = "Failed to download file";
inline constexpr std::string_view kBadChecksumMessage =
    "Error downloading file or downloaded file had invallid checksum.";
inline constexpr std::string_view kDownloadedMessage =
    "File has been downloaded succesfully. The file will now be unpacked and copied into the bin "
    "directory";
inline constexpr std::string_view kListDownloadedMessage =
    "Program list has been downloaded succesfully. All available downloads will now be enabled.";
inline constexpr std::string_view kListFallbackMessage =
    "Downloading programlist failed. Quillmere wil now try to download it from an other location.";
inline constexpr std::string_view kListFailedMessage =
    "Downloading programlist from alternative location also failed.";

// A program list refused for its signature (the setting "Refuse program
// lists that are not signed" is on).
inline constexpr std::string_view kListUnsignedMessage =
    "The program list is not signed (there is no ProgramList.txt.sig beside it), so it is not "
    "used. Lists of private mirrors without a signature can be allowed in Configure.";
inline constexpr std::string_view kListSignatureDamagedMessage =
    "The program list's signature file is damaged (a signature is 64 bytes), so the list is not "
    "used.";
inline constexpr std::string_view kListUnknownKeyMessage =
    "The program list is signed with a key Quillmere does not trust, so it is not used.";
inline constexpr std::string_view kListAlteredMessage =
    "The program list has been altered since it was signed, so it is not used.";

// What the download window says about the connection.
inline constexpr char kSecureConnectionNote[] = "Secure connection (HTTPS).";
inline constexpr char kPlainSignedListNote[] =
    "No secure connection: plain HTTP. The list is used only when its signature holds.";
inline constexpr char kPlainUnsignedListNote[] =
    "No secure connection: plain HTTP. Unsigned lists are allowed: only the list's MD5 is checked.";
inline constexpr char kPlainPinnedNote[] =
    "No secure connection: plain HTTP. The archive must match the list's SHA-256.";
inline constexpr char kPlainMd5Note[] =
    "No secure connection: plain HTTP. Unsigned lists are allowed: only the archive's MD5 is "
    "checked.";

// When unpacking or installing goes wrong; printf forms where they carry a value.
inline constexpr std::string_view kUnpackerMissingMessage =
    "The unpacker unzipper\\unzip.exe could not be started. Nothing has been installed.";
inline constexpr char kUnpackFailedMessage[] =
    "The downloaded archive could not be unpacked (unzip.exe ended with code %lu). Nothing has "
    "been installed.";
inline constexpr char kUnpackTooLongMessage[] =
    "Unpacking the downloaded archive took longer than %lu seconds and was stopped. Nothing has "
    "been installed.";
inline constexpr char kInstallFailedMessage[] =
    "\"%s\" could not be copied into the bin directory: %s";

} // namespace corv
