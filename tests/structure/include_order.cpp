// The layer table and the include scan behind the structure test.
#include "tests/structure/include_order.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>

namespace {

namespace fs = std::filesystem;

// Each folder with the folders it may include, lowest layer first.
const std::map<std::string, std::vector<std::string>>& Layers() {
  static const std::vector<std::string> core{"platform",   "base", "devices", "fuses",
                                             "programmer", "abel", "logic"};
  static const std::map<std::string, std::vector<std::string>> layers{
      {"galmaps", {}},
      {"platform", {}},
      {"boxsim", {"platform"}},
      {"base", {"platform"}},
      {"devices", {"base", "platform", "galmaps"}},
      {"fuses", {"devices", "base", "platform"}},
      {"programmer", {"fuses", "devices", "base", "platform"}},
      {"abel", {"fuses", "devices", "base", "platform", "abelc"}},
      {"logic", {"fuses", "devices", "base", "platform", "abelc"}},
      {"commands", {"programmer", "abel", "logic", "fuses", "devices", "base", "platform", "boxsim"}},
      {"app",
       {"commands", "programmer", "abel", "logic", "fuses", "devices", "base", "platform", "boxsim",
        "assets"}},
      {"cli", {"commands", "programmer", "abel", "logic", "fuses", "devices", "base", "platform", "boxsim"}},
      {"abelc", {"galmaps"}},
      {"assets", {}},
  };
  return layers;
}

std::string FolderOf(const fs::path& relative) {
  return relative.begin()->string();
}

std::string FolderOfInclude(const std::string& included, const fs::path& root, const fs::path& file) {
  const auto slash = included.find('/');
  if (slash != std::string::npos) return included.substr(0, slash);
  if (fs::exists(file.parent_path() / included)) return FolderOf(fs::relative(file, root));
  if (fs::exists(root / "assets" / included)) return "assets";
  return "";  // generated or unknown: not a folder of the tree
}

}  // namespace

bool MayInclude(const std::string& from, const std::string& to) {
  if (from == to || to.empty()) return true;
  const auto layer = Layers().find(from);
  if (layer == Layers().end()) return true;
  return std::find(layer->second.begin(), layer->second.end(), to) != layer->second.end();
}

std::vector<WrongWayInclude> FindWrongWayIncludes(const fs::path& root) {
  static const std::regex include(R"(^\s*#\s*include\s*"([^"]+)\")");
  std::vector<WrongWayInclude> wrong;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    const fs::path& file = entry.path();
    if (!entry.is_regular_file() || (file.extension() != ".h" && file.extension() != ".cpp")) continue;
    const fs::path relative = fs::relative(file, root);
    const std::string folder = FolderOf(relative);
    if (Layers().find(folder) == Layers().end()) continue;
    std::ifstream in(file);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
      std::smatch match;
      if (!std::regex_search(line, match, include)) continue;
      if (!MayInclude(folder, FolderOfInclude(match[1], root, file))) {
        wrong.push_back({relative.generic_string(), number, match[1]});
      }
    }
  }
  std::sort(wrong.begin(), wrong.end(), [](const WrongWayInclude& a, const WrongWayInclude& b) {
    return a.File < b.File || (a.File == b.File && a.Line < b.Line);
  });
  return wrong;
}
