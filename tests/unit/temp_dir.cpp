#include "temp_dir.h"

#include "platform/path.h"

#include <atomic>
#include <chrono>
#include <random>

namespace corv::test {

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    auto name = "corv-test-" + std::to_string(stamp % 1000000007) + "-" +
                std::to_string(random() % 100000) + "-" + std::to_string(counter++);
    path_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(path_);
    dir_ = path_.string();
    if (dir_.back() != kPathSeparator) dir_ += kPathSeparator;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace corv::test
