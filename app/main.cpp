// The program's entry: the command line, start-up, the main loop and shutdown.
#include <QApplication>
#include <iostream>

#include "app/command_line.h"
#include "app/main_window.h"
#include "commands/command_actions.h"
#include "commands/dispatch.h"
#include "commands/main_loop.h"
#include "commands/programmer_port.h"

namespace {

std::vector<std::string> Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

// --help and --version need no display; anything else is looked at again
// once Qt has taken its own options (-platform and the like) out of argv.
int AnswerWithoutWindow(const WindowCommandLine& line) {
  if (line.What == WindowCommandLine::Action::Help) {
    PrintWindowHelp(std::cout);
  } else {
    PrintVersion("quelvox", std::cout);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const WindowCommandLine early = ParseWindowCommandLine(Arguments(argc, argv));
  if (early.What == WindowCommandLine::Action::Help || early.What == WindowCommandLine::Action::Version) {
    return AnswerWithoutWindow(early);
  }
  QApplication application(argc, argv);
  const WindowCommandLine line = ParseWindowCommandLine(Arguments(argc, argv));
  if (line.What == WindowCommandLine::Action::Wrong) {
    std::cerr << "quelvox: " << line.Error << '\n';
    PrintWindowUsage(std::cerr);
    return 2;
  }
  QGuiApplication::setDesktopFileName(QStringLiteral("quelvox"));  // ties the window to its menu entry
  ResetProgramState();
  int exitCode = 0;
  {
    MainWindow window;
    InstallWindow(&window);
    window.show();
    // The opening size events pass before LayoutPanes is bound, so the
    // panes keep their creation geometry until the user resizes the window.
    QCoreApplication::processEvents();
    window.BindLayoutPanes();
    GreetUser();
    if (!line.File.empty()) OpenNamedFile(line.File);
    // After the file, so that a chip kept in the loaded map's own file is refused.
    if (!line.Port.empty()) RunAsCommand([&line] { return RunChoosePortText(line.Port); });
    exitCode = RunMainLoop();
    InstallWindow(nullptr);
  }
  return exitCode;
}
