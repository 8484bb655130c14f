// Compile end to end in the window: the design chosen in the open dialog is
// compiled by the compile step's program (our compiler, vDosPlus/vDosPlus.exe
// of the current directory, else of the user's work folder), the log shows
// its listing and the framed chip diagram, and the fuse-map pane shows the
// new map.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/main_window.h"
#include "commands/command_actions.h"
#include "commands/command_ids.h"
#include "commands/dispatch.h"
#include "commands/main_loop.h"
#include "tests/support/current_directory.h"
#include "tests/support/environment_variable.h"

namespace {

namespace fs = std::filesystem;

// Types `path` into the next modal file dialog and accepts it.
void AcceptNextFileDialog(const QString& path, bool* seen) {
  QTimer::singleShot(50, [=] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      AcceptNextFileDialog(path, seen);
      return;
    }
    *seen = true;
    if (auto* field = dialog->findChild<QLineEdit*>("fileNameEdit")) field->setText(path);
    static_cast<QDialog*>(dialog)->accept();
  });
}

std::vector<std::string> Lines(MainWindow& w, Pane pane) {
  std::vector<std::string> lines;
  for (int i = 0; i < w.LineCount(pane); ++i) lines.push_back(w.LineText(pane, i));
  return lines;
}

bool Holds(const std::vector<std::string>& lines, const std::string& text) {
  for (const std::string& l : lines) {
    if (l.find(text) != std::string::npos) return true;
  }
  return false;
}

TEST(CompileWindow, CompilesTheChosenDesignAndShowsListingDiagramAndMap) {
  const fs::path dir = fs::temp_directory_path() / "quelvox-window-compile";
  fs::remove_all(dir);
  fs::create_directories(dir / "vDosPlus" / "abel");
  fs::copy_file(QUELVOX_VDOS_EXE, dir / "vDosPlus" / "vDosPlus.exe");
  fs::copy_file(std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/ok/counter4_load.abl", dir / "counter.abl");

  ResetProgramState();
  MainWindow window;
  InstallWindow(&window);
  window.show();
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  // Loading the new fuse file clears the panes after the listing was shown,
  // so the log is watched while the command runs.
  QString listing;
  QObject::connect(window.logPane(), &QPlainTextEdit::textChanged, [&] {
    const QString text = window.logPane()->toPlainText();
    if (text.contains("Module: 'counter4_load'")) listing = text;
  });
  {
    CurrentDirectoryScope scope(dir.string());
    bool seen = false;
    AcceptNextFileDialog(QString::fromStdString((dir / "counter.abl").string()), &seen);
    DispatchCommand(CmdCompile);
    EXPECT_TRUE(seen);
  }
  const std::vector<std::string> log = Lines(window, Pane::Log);
  std::string all;
  for (const std::string& l : log) all += l + "\n";
  // The listing, while it was shown.
  // The listing names the module as the user wrote it, not as the work copy
  // renamed it, and so its END label draws no warning.
  EXPECT_TRUE(listing.contains("Module: 'counter4_load'")) << listing.toStdString();
  EXPECT_TRUE(listing.contains("fitted as 'P16V8R' (registered mode)")) << listing.toStdString();
  EXPECT_TRUE(listing.contains("9 out of 9 vectors passed.")) << listing.toStdString();
  EXPECT_FALSE(listing.contains("END label")) << listing.toStdString();
  EXPECT_TRUE(listing.contains("0 errors, 0 warnings")) << listing.toStdString();
  // The chip diagram, framed, with the design's pins.
  EXPECT_TRUE(Holds(log, "|           \\___/           |")) << all;
  EXPECT_TRUE(Holds(log, "|___________________________|")) << all;
  EXPECT_TRUE(Holds(log, "                     clk |  1                    20  | Vcc")) << all;
  EXPECT_TRUE(Holds(log, "                      d0 |  7                    14  | !q3")) << all;
  EXPECT_TRUE(Holds(log, "2194 fuses match GAL16V8")) << all;
  EXPECT_TRUE(Holds(log, ">>> done <<<")) << all;
  EXPECT_FALSE(Holds(log, "ERROR")) << all;
  // The map of a GAL16V8, beside the design.
  const std::vector<std::string> map = Lines(window, Pane::FuseMap);
  EXPECT_GT(map.size(), 10u);
  EXPECT_TRUE(fs::exists(dir / "counter.jed"));
  EXPECT_TRUE(fs::exists(dir / "counter.doc"));
  InstallWindow(nullptr);
  ResetProgramState();
  fs::remove_all(dir);
}

// A design whose test vector fails still loads, and once the load has
// cleared the listing the log says so: the vector result and the error line.
TEST(CompileWindow, AFailingVectorIsTheLastWordBeforeTheClosingLine) {
  const fs::path dir = fs::temp_directory_path() / "quelvox-window-compile-vector";
  fs::remove_all(dir);
  fs::create_directories(dir / "vDosPlus" / "abel");
  fs::copy_file(QUELVOX_VDOS_EXE, dir / "vDosPlus" / "vDosPlus.exe");
  {
    std::ofstream(dir / "gate.abl")
        << "module gate\ng device 'P16V8';\na, b pin 2, 3;\ny pin 19;\nequations\n"
           "y = a & b;\ntest_vectors ([a, b] -> y)\n[1, 1] -> 1;\n[0, 1] -> 1;\nend gate\n";
  }
  ResetProgramState();
  MainWindow window;
  InstallWindow(&window);
  window.show();
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  {
    CurrentDirectoryScope scope(dir.string());
    bool seen = false;
    AcceptNextFileDialog(QString::fromStdString((dir / "gate.abl").string()), &seen);
    EXPECT_EQ(DispatchCommand(CmdCompile).Status, CommandStatus::Failed);
    EXPECT_TRUE(seen);
  }
  const std::vector<std::string> log = Lines(window, Pane::Log);
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[0], "Parsing file: gate.jed");
  EXPECT_TRUE(Holds(log, "fitted as 'P16V8S' (simple mode)"));
  EXPECT_EQ(std::vector<std::string>(log.end() - 3, log.end()),
            (std::vector<std::string>{"1 out of 2 vectors passed.",
                                      "ERROR: 1 of 2 test vectors failed (see gate.sim)", ">>> done <<<"}));
  EXPECT_GT(window.LineCount(Pane::FuseMap), 10);
  InstallWindow(nullptr);
  ResetProgramState();
  fs::remove_all(dir);
}

// Started in a folder without vDosPlus/, the window compiles in the user's
// work folder, which it prepares with the compiler found on the PATH. A
// design named relatively, as on the command line, gets its files beside it,
// and the current directory stays where it was.
TEST(CompileWindow, FromAFolderWithoutTheCompilersFolder) {
  const fs::path dir =
      fs::temp_directory_path() / ("quelvox-window-compile-elsewhere-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "designs");
  {
    std::ofstream(dir / "designs" / "gate.abl")
        << "module gate\ng device 'P16V8';\na, b pin 2, 3;\ny pin 19;\nequations\ny = a & b;\nend gate\n";
  }
  const char* path = std::getenv("PATH");
  EnvironmentScope searchPath("PATH",
                              fs::path(QUELVOX_ABELC).parent_path().string() + ":" + (path ? path : ""));
  EnvironmentScope dataHome("XDG_DATA_HOME", (dir / "data").string());
  ResetProgramState();
  MainWindow window;
  InstallWindow(&window);
  window.show();
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  {
    CurrentDirectoryScope scope((dir / "designs").string());
    EXPECT_EQ(OpenNamedFile("gate.abl").Status, CommandStatus::Done);
    EXPECT_EQ(fs::current_path(), dir / "designs");
  }
  const std::vector<std::string> log = Lines(window, Pane::Log);
  EXPECT_EQ(log.front(), "Parsing file: gate.jed");
  EXPECT_FALSE(Holds(log, "ERROR"));
  EXPECT_GT(window.LineCount(Pane::FuseMap), 10);
  std::vector<std::string> beside;
  for (const auto& entry : fs::directory_iterator(dir / "designs")) beside.push_back(entry.path().filename());
  std::sort(beside.begin(), beside.end());
  EXPECT_EQ(beside, (std::vector<std::string>{"gate.abl", "gate.doc", "gate.jed", "gate.out", "gate.sim"}));
  EXPECT_EQ(fs::read_symlink(dir / "data/quelvox/vDosPlus/vDosPlus.exe"), fs::path(QUELVOX_ABELC));
  InstallWindow(nullptr);
  ResetProgramState();
  fs::remove_all(dir);
}

}  // namespace
