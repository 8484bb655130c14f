// Logic read back in the window: Tools > Equations after Open logs the
// equations, File > Export ABEL design writes a design the compiler takes,
// opening a PAL map asks for its type and loads the GAL map, and Tools >
// Simulate opens the pin panel beside the window.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/main_window.h"
#include "app/simulate_panel.h"
#include "commands/command_ids.h"
#include "commands/dispatch.h"
#include "commands/main_loop.h"
#include "commands/pin_panel.h"
#include "tests/app/design_compiles.h"
#include "tests/app/shown_window.h"

namespace {

namespace fs = std::filesystem;

void AcceptNextFileDialog(const QString& path) {
  QTimer::singleShot(50, [=] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      AcceptNextFileDialog(path);
      return;
    }
    if (auto* field = dialog->findChild<QLineEdit*>("fileNameEdit")) field->setText(path);
    static_cast<QDialog*>(dialog)->accept();
  });
}

// Records the prompt and the items of the next list choice, then takes the
// item named `take`.
void ChooseInNextList(const QString& take, QString* prompt, QStringList* items) {
  QTimer::singleShot(50, [=] {
    auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      ChooseInNextList(take, prompt, items);
      return;
    }
    *prompt = dialog->labelText();
    *items = dialog->comboBoxItems();
    auto* list = dialog->findChild<QComboBox*>();
    if (list != nullptr) list->setCurrentIndex(list->findText(take));
    dialog->accept();
  });
}

class LogicWindow : public ShownWindowTest {
 protected:
  void SetUp() override {
    ShownWindowTest::SetUp();
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    ShownWindowTest::TearDown();
    fs::remove_all(dir_);
  }
  std::vector<std::string> Log() {
    std::vector<std::string> lines;
    for (int i = 0; i < window_.LineCount(Pane::Log); ++i) lines.push_back(window_.LineText(Pane::Log, i));
    return lines;
  }
  bool Logged(const std::string& line) {
    const std::vector<std::string> log = Log();
    return std::find(log.begin(), log.end(), line) != log.end();
  }
  void Open(const std::string& path) {
    AcceptNextFileDialog(QString::fromStdString(path));
    DispatchCommand(CmdOpenMenu);
  }
  // One folder per test process: ctest runs the tests of this fixture side by side.
  const fs::path dir_ = fs::temp_directory_path() / ("quelvox-window-logic-" + std::to_string(getpid()));
};

TEST_F(LogicWindow, EquationsAndExportOfTheOpenedMap) {
  Open(std::string(QUELVOX_TESTDATA_DIR) + "/abel/classic/count4.jed");
  ASSERT_GT(window_.LineCount(Pane::FuseMap), 0);
  DispatchCommand(CmdEquations);
  EXPECT_TRUE(
      Logged("Equations of the GAL16V8 fuse map, registered mode (pin names from the NOTE PINS lines):"));
  EXPECT_TRUE(Logged("Q3, pin 14: registered, tri-state, active low"));
  EXPECT_TRUE(Logged("    Q3.OE = !OC;"));
  EXPECT_TRUE(Logged("    CO = Q3.FB & Q2.FB & Q1.FB & Q0.FB & CI;"));

  const fs::path design = dir_ / "count4.abl";
  AcceptNextFileDialog(QString::fromStdString(design.string()));
  DispatchCommand(CmdExportAbel);
  EXPECT_TRUE(Logged("ABEL design written: count4.abl"));
  std::ifstream in(design, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(CompiledPart(text), "P16V8R") << text;
}

// The header names a PAL16R4: it heads the list and is chosen when the
// user takes the list as it opens; another type is taken from the list.
TEST_F(LogicWindow, APalMapAsksForTheTypeInOneListHeadedByTheHeadersType) {
  for (const QString& take : {QStringLiteral("PAL16R4"), QStringLiteral("PAL16R6")}) {
    ResetProgramState();  // the converted map is unsaved: no question before the next open
    QString prompt;
    QStringList items;
    ChooseInNextList(take, &prompt, &items);
    Open(std::string(QUELVOX_SOURCE_DIR) + "/tests/logic/pal_pairs/pal16r4_2.jed");
    EXPECT_TRUE(prompt.startsWith("The file names a PAL16R4. Which PAL is it?")) << prompt.toStdString();
    EXPECT_EQ(items, (QStringList{"PAL16R4", "PAL16L8", "PAL16R6", "PAL16R8"}));
    EXPECT_TRUE(Logged("2048 fuses of a " + take.toStdString() +
                       " converted into the GAL16V8 map that behaves the same"));
    EXPECT_FALSE(Logged("2048 fuses don't match any GAL"));
    EXPECT_EQ(window_.LineCount(Pane::FuseMap), (2194 + 31) / 32);
    if (take == "PAL16R4") {
      DispatchCommand(CmdEquations);
      EXPECT_TRUE(Logged("q14, pin 14: registered, tri-state, active low"));
    }
  }
}

// The counter of count4.jed: mode 1 (I0, pin 18, high) loads A, all low, at
// the clock; Q0 on pin 17 shows /Q, high at power-up.
TEST_F(LogicWindow, SimulateShowsThePinsBesideTheWindowAndStepsThemThroughItsButtons) {
  Open(std::string(QUELVOX_TESTDATA_DIR) + "/abel/classic/count4.jed");
  window_.commandAction(CmdSimulate)->trigger();
  ASSERT_EQ(window_.WaitEvent(0).Code, CmdSimulate);
  DispatchCommand(CmdSimulate);
  SimulatePanel* panel = window_.pinPanel();
  ASSERT_NE(panel, nullptr);
  QCoreApplication::processEvents();
  EXPECT_TRUE(panel->isVisible());
  EXPECT_FALSE(panel->geometry().intersects(window_.frameGeometry()));
  ASSERT_NE(panel->levelLabel(17), nullptr);
  EXPECT_EQ(panel->levelLabel(17)->text(), "1");
  EXPECT_EQ(panel->registerLabel(17)->text(), "0");
  EXPECT_EQ(panel->driveButton(1), nullptr);  // the clock: its button pulses it
  panel->driveButton(18)->click();
  EXPECT_EQ(panel->driveButton(18)->text(), "1");
  panel->clockButton()->click();
  EXPECT_EQ(panel->levelLabel(17)->text(), "0");
  EXPECT_EQ(panel->registerLabel(17)->text(), "1");

  panel->close();
  QCoreApplication::processEvents();
  EXPECT_FALSE(panel->isVisible());
  EXPECT_FALSE(ThePinPanel().Open);
}

}  // namespace
