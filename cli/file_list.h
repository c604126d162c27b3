#pragma once
// The files of a command as the program's list would hold them.
#include "analyser/analysis/audio_file_record.h"
#include "analyser/engine/conversion_settings.h"

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace corv::cli {

struct FileList {
    std::vector<std::unique_ptr<AudioFileRecord>> records; // in argument order
    bool skippedAny = false;

    std::vector<AudioFileRecord*> entries() const;
};

// The path the list keeps for an argument: absolute (the record needs a
// folder) and, on Windows, with the platform's separators.
std::string listPath(const std::string& argument);

// Adds and analyses every file once (the first of identical paths counts); a
// file the list refuses is named on errors with the reason and left out.
FileList buildFileList(const std::vector<std::string>& arguments,
                       const ConversionSettings& settings, std::ostream& errors);

} // namespace corv::cli
