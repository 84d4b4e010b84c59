#pragma once

#include <filesystem>
#include <random>
#include <string>

namespace kamt::test {

// A fresh directory for one test, removed with everything in it afterwards.
struct TempDir {
  TempDir() {
    std::random_device random;
    path = std::filesystem::temp_directory_path() / ("kamt-test-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::filesystem::path path;
};

}  // namespace kamt::test
