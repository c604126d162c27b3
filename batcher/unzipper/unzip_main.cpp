// unzip.exe, shipped in Quillmere's "unzipper" folder.
#include "batcher/unzipper/unzip_command.h"

#include <iostream>

int main(int argc, char** argv) {
    try {
        return corv::runUnzip(std::vector<std::string>(argv + 1, argv + argc), std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "unzip: " << e.what() << "\n";
        return corv::kUnzipFailed;
    }
}
