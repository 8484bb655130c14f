// Reading the window's command line, and its help and version texts.
#include "app/command_line.h"

WindowCommandLine ParseWindowCommandLine(const std::vector<std::string>& args) {
  WindowCommandLine line;
  bool operandsOnly = false;  // after "--" a name may begin with "-"
  bool hasPort = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!operandsOnly && arg == "--port") {
      if (i + 1 >= args.size() || args[i + 1].empty())
        return {WindowCommandLine::Action::Wrong, "", "", "--port needs a port"};
      if (hasPort) return {WindowCommandLine::Action::Wrong, "", "", "--port given twice"};
      hasPort = true;
      line.Port = args[++i];
    } else if (!operandsOnly && (arg == "--help" || arg == "-h")) {
      if (line.What == WindowCommandLine::Action::Start) line.What = WindowCommandLine::Action::Help;
    } else if (!operandsOnly && arg == "--version") {
      if (line.What == WindowCommandLine::Action::Start) line.What = WindowCommandLine::Action::Version;
    } else if (!operandsOnly && arg == "--") {
      operandsOnly = true;
    } else if (!operandsOnly && arg.size() > 1 && arg[0] == '-') {
      return {WindowCommandLine::Action::Wrong, "", "", "unknown option \"" + arg + "\""};
    } else if (arg.empty()) {
      return {WindowCommandLine::Action::Wrong, "", "", "an empty file name"};
    } else if (!line.File.empty()) {
      return {WindowCommandLine::Action::Wrong, "", "", "only one file can be opened"};
    } else {
      line.File = arg;
    }
  }
  return line;
}

void PrintWindowUsage(std::ostream& out) {
  out << "usage: quelvox [--port PORT] [FILE]\n"
         "       quelvox --help | --version\n";
}

void PrintWindowHelp(std::ostream& out) {
  PrintWindowUsage(out);
  out << "\nStarts the Quelvox window. FILE, a JEDEC fuse map (.jed), is opened as File > Open does;\n"
         "an ABEL design (.abl) is compiled as Compile does: in vDosPlus/ of the current directory,\n"
         "or of the user's work folder (~/.local/share/quelvox) when the current directory has none.\n"
         "\n"
         "  --port PORT  find the programmer on PORT, as Device > Port... chooses it: COMn, a device\n"
         "               path (/dev/ttyUSB0), or sim:CHIP.jed[,TYPE][,keep], the simulated programmer\n"
         "               with a chip made from the JEDEC file CHIP.jed (TYPE: the chip type, as\n"
         "               quelvox-cli --help lists them; keep: the chip goes back into CHIP.jed after\n"
         "               each command that changes it). Without it the ports are scanned.\n"
         "  --help       print this help and exit\n"
         "  --version    print the version and exit\n";
}

void PrintVersion(const char* program, std::ostream& out) {
  out << program << ' ' << QUELVOX_VERSION << '\n';
}
