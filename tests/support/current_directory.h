// Runs a test from another current directory and goes back afterwards, for
// code that looks for its files beside the current directory.
#pragma once

#include <filesystem>
#include <string>

class CurrentDirectoryScope {
 public:
  explicit CurrentDirectoryScope(const std::string& directory) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(directory);
  }
  ~CurrentDirectoryScope() {
    std::error_code error;
    std::filesystem::current_path(previous_, error);
  }
  CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
  CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;

 private:
  std::filesystem::path previous_;
};
