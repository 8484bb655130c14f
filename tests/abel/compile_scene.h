// The scene of a compile test: a scratch folder made the current directory,
// with the runner's folder vDosPlus/abel/ in it and a design folder whose name
// holds a space. A stand-in runner is a shell script the test writes.
#pragma once

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/fuses/fuse_test_files.h"
#include "tests/support/current_directory.h"

class CompileScene {
 public:
  CompileScene() : cwd_(root_.path()) {
    std::filesystem::create_directories(Abel(""));
    std::filesystem::create_directories(DesignDir());
  }

  std::string Root() const { return root_.path(); }
  std::string Vdos() const { return root_.path() + "/vDosPlus/"; }
  std::string Abel(const std::string& name) const { return Vdos() + "abel/" + name; }
  std::string DesignDir() const { return root_.path() + "/my designs/"; }
  std::string Design(const std::string& name) const { return DesignDir() + name; }

  // Names in a folder of the scene, sorted; empty for a missing folder.
  static std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  // vDosPlus/vDosPlus.exe as a shell script that runs body in vDosPlus/.
  void WriteStandInRunner(const std::string& body) const {
    WriteBytes(Vdos() + "vDosPlus.exe", "#!/bin/sh\n" + body + "\n");
    chmod((Vdos() + "vDosPlus.exe").c_str(), 0755);
  }

 private:
  ScratchDir root_;
  CurrentDirectoryScope cwd_;
};
