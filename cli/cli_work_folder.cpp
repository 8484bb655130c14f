// The work folder of quelvox-cli compile and of quelvox-cli --work-folder,
// which the launcher runs so that both prepare the folder the same way.
#include "cli/cli_work_folder.h"

#include <filesystem>
#include <system_error>

#include "abel/work_folder.h"

namespace fs = std::filesystem;

namespace {

std::string ProgramDirectory() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? std::string() : self.parent_path().string();
}

}  // namespace

std::string PrepareUserWorkFolder(std::string& folder) {
  folder = UserWorkFolder();
  if (folder.empty()) return "neither HOME nor XDG_DATA_HOME is set";
  return PrepareWorkFolder(folder, FindCompiler(ProgramDirectory()));
}

std::string EnterCompileFolder() {
  std::error_code error;
  if (fs::is_directory(fs::current_path(error) / "vDosPlus", error)) return "";
  std::string folder;
  if (std::string why = PrepareUserWorkFolder(folder); !why.empty()) return why;
  fs::current_path(folder, error);
  return error ? "cannot enter the work folder " + folder : "";
}
