// Finding, making and linking the per-user work folder where the compile step
// runs when the current directory has no vDosPlus/ of its own.
#include "abel/work_folder.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

std::string UserWorkFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  // A relative XDG_DATA_HOME is not valid and is ignored.
  if (data != nullptr && data[0] == '/') return std::string(data) + "/quelvox";
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') return "";
  return std::string(home) + "/.local/share/quelvox";
}

namespace {

bool IsProgram(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error) &&
         (fs::status(path, error).permissions() & fs::perms::owner_exec) != fs::perms::none;
}

}  // namespace

std::string FindCompiler(const std::string& programDirectory) {
  if (!programDirectory.empty()) {
    for (const char* relative : {"abelc", "bin/abelc"}) {
      const fs::path candidate = fs::path(programDirectory) / relative;
      if (IsProgram(candidate)) return candidate.string();
    }
  }
  const char* path = std::getenv("PATH");
  std::istringstream folders(path != nullptr ? path : "");
  for (std::string folder; std::getline(folders, folder, ':');) {
    if (!folder.empty() && IsProgram(fs::path(folder) / "abelc"))
      return (fs::path(folder) / "abelc").string();
  }
  return "";
}

std::string PrepareWorkFolder(const std::string& folder, const std::string& compiler) {
  std::error_code error;
  const fs::path abel = fs::path(folder) / "vDosPlus" / "abel";
  fs::create_directories(abel, error);
  if (error || !fs::is_directory(abel, error)) return "cannot create the work folder " + abel.string();
  const fs::path runner = fs::path(folder) / "vDosPlus" / "vDosPlus.exe";
  const bool link = fs::is_symlink(fs::symlink_status(runner, error));
  if (!link && fs::exists(fs::symlink_status(runner, error))) return "";  // the user's own runner
  if (compiler.empty()) return "no compiler (abelc) found to link into " + runner.parent_path().string();
  if (link) fs::remove(runner, error);
  fs::create_symlink(compiler, runner, error);
  if (error) return "cannot link the compiler into " + runner.parent_path().string();
  return "";
}

std::string PrepareUserWorkFolder(const std::string& programDirectory, std::string& folder) {
  folder = UserWorkFolder();
  if (folder.empty()) return "neither HOME nor XDG_DATA_HOME is set";
  return PrepareWorkFolder(folder, FindCompiler(programDirectory));
}

std::string ChooseCompileFolder(const std::string& programDirectory, std::string& folder) {
  std::error_code error;
  const fs::path current = fs::current_path(error);
  if (!error && fs::is_directory(current / "vDosPlus", error)) {
    folder = current.string();
    return "";
  }
  return PrepareUserWorkFolder(programDirectory, folder);
}
