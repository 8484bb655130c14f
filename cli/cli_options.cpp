// Taking --port, --vectors, --all, --security, --force and --brief out of the operands.
#include "cli/cli_options.h"

std::string TakeOptions(std::vector<std::string>& args, CliOptions& options) {
  std::vector<std::string> operands;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--port") {
      if (i + 1 >= args.size() || args[i + 1].empty()) return "--port needs a port";
      if (options.HasPort) return "--port given twice";
      options.Port = args[++i];
      options.HasPort = true;
    } else if (args[i] == "--vectors") {
      if (i + 1 >= args.size() || args[i + 1].empty()) return "--vectors needs a file";
      if (options.HasVectors) return "--vectors given twice";
      options.Vectors = args[++i];
      options.HasVectors = true;
    } else if (args[i] == "--all") {
      options.All = true;
    } else if (args[i] == "--security") {
      options.Security = true;
    } else if (args[i] == "--force") {
      options.Force = true;
    } else if (args[i] == "--brief") {
      options.Brief = true;
    } else {
      operands.push_back(args[i]);
    }
  }
  args = operands;
  return "";
}
