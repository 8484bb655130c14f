// The program's entry: start-up, the main loop and shutdown.
#include <QApplication>

#include "app/main_window.h"
#include "commands/main_loop.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
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
    exitCode = RunMainLoop();
    InstallWindow(nullptr);
  }
  return exitCode;
}
