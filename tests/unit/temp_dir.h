#pragma once
// A fresh folder per test, removed with everything in it afterwards.
#include <filesystem>
#include <string>

namespace corv::test {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder with a trailing separator, as the programs keep directories.
    const std::string& dir() const { return dir_; }
    std::string file(const std::string& name) const { return dir_ + name; }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
    std::string dir_;
};

} // namespace corv::test
