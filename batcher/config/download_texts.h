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
