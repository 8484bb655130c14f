// Device > Port... in the real window: the simulated programmer chosen
// through the list, the file dialog, the chip type list and the keep
// question, then Program, Read, Verify and Erase from the toolbar, each
// saying in its log that the programmer is a simulated one.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

#include "app/main_window.h"
#include "commands/command_ids.h"
#include "commands/dispatch.h"
#include "tests/app/shown_window.h"
#include "tests/fuses/fuse_test_files.h"

namespace {

// Answers the coming modal dialogs in turn, each step once its dialog is the
// active modal widget; a step returns false when the dialog is not the one
// it expected (the test then fails on the missing answer).
using Step = std::function<bool(QWidget*)>;

void AnswerInTurn(std::shared_ptr<std::deque<Step>> steps, std::shared_ptr<std::vector<std::string>> wrong) {
  if (steps->empty()) return;
  QTimer::singleShot(20, [=] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) {
      AnswerInTurn(steps, wrong);
      return;
    }
    if (!steps->front()(modal)) {
      wrong->push_back(modal->metaObject()->className());
      modal->close();
    }
    steps->pop_front();
    AnswerInTurn(steps, wrong);
  });
}

Step ChooseItem(const QString& item, QStringList* items = nullptr) {
  return [=](QWidget* modal) {
    auto* dialog = qobject_cast<QInputDialog*>(modal);
    if (dialog == nullptr || !dialog->comboBoxItems().contains(item)) return false;
    if (items != nullptr) *items = dialog->comboBoxItems();
    dialog->setTextValue(item);
    dialog->accept();
    return true;
  };
}

Step ChooseFile(const std::string& path) {
  return [=](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (dialog == nullptr) return false;
    if (auto* field = dialog->findChild<QLineEdit*>("fileNameEdit"))
      field->setText(QString::fromStdString(path));
    static_cast<QDialog*>(dialog)->accept();
    return true;
  };
}

Step ClickButton(QMessageBox::StandardButton button, QString* text = nullptr) {
  return [=](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (box == nullptr || box->button(button) == nullptr) return false;
    if (text != nullptr) *text = box->text();
    box->button(button)->click();
    return true;
  };
}

class PortWindow : public ShownWindowTest {
 protected:
  // Chooses the item (menu or toolbar) with the answers given, and runs the
  // command the click posts, as the main loop does.
  CommandResult Choose(int commandId, std::vector<Step> answers) {
    QAction* action = window_.commandAction(commandId);
    EXPECT_NE(action, nullptr) << commandId;
    if (action == nullptr) return CommandFailed("no item");
    auto steps = std::make_shared<std::deque<Step>>(answers.begin(), answers.end());
    auto wrong = std::make_shared<std::vector<std::string>>();
    AnswerInTurn(steps, wrong);
    action->trigger();
    const WindowEvent event = window_.WaitEvent(1000);
    EXPECT_EQ(event.Code, commandId);
    const CommandResult result = DispatchCommand(event.Code);
    EXPECT_TRUE(steps->empty()) << commandId << ": " << steps->size() << " dialogs not shown";
    EXPECT_TRUE(wrong->empty()) << commandId << ": unexpected " << testing::PrintToString(*wrong);
    return result;
  }
  std::vector<std::string> Log() {
    std::vector<std::string> lines;
    for (int i = 0; i < window_.LineCount(Pane::Log); ++i) lines.push_back(window_.LineText(Pane::Log, i));
    return lines;
  }
  std::vector<std::string> FuseMapLines() {
    std::vector<std::string> lines;
    for (int i = 0; i < window_.LineCount(Pane::FuseMap); ++i)
      lines.push_back(window_.LineText(Pane::FuseMap, i));
    return lines;
  }
  bool Logged(const std::string& line) {
    const std::vector<std::string> lines = Log();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
};

TEST_F(PortWindow, TheSimulatedProgrammerProgramsReadsVerifiesAndErasesItsChip) {
  ScratchDir dir;
  const std::string design = dir / "design.jed", chipFile = dir / "chip.jed";
  WriteBytes(design, ReadBytes(JedecDataDir() + "/galette_GAL16V8_tri.jed"));
  WriteBytes(chipFile, ReadBytes(JedecDataDir() + "/galette_GAL16V8_reg.jed"));
  const std::string chipBytes = ReadBytes(chipFile);

  ASSERT_TRUE(Choose(CmdOpenMenu, {ChooseFile(design)}).IsDone());
  const std::vector<std::string> designRows = FuseMapLines();
  ASSERT_FALSE(designRows.empty());

  QStringList ports, types;
  QString keepQuestion;
  ASSERT_TRUE(
      Choose(CmdChoosePort, {ChooseItem("Simulated programmer...", &ports), ChooseFile(chipFile),
                             ChooseItem("GAL16V8", &types), ClickButton(QMessageBox::No, &keepQuestion)})
          .IsDone());
  EXPECT_EQ(ports.front(), "Find the programmer automatically");
  EXPECT_EQ(types, (QStringList{"GAL16V8", "GAL16V8AZ", "ATF16V8B", "ATF16V8C"}));
  EXPECT_TRUE(keepQuestion.startsWith("Keep the chip's contents in chip.jed?")) << keepQuestion.toStdString();
  EXPECT_EQ(window_.windowTitle(), "Quelvox - design.jed - simulated: chip.jed (GAL16V8)");
  EXPECT_TRUE(Logged("Programmer: simulated: chip.jed (GAL16V8)"));

  const std::string note = "Simulated programmer: chip.jed (GAL16V8)";
  QString question;
  EXPECT_TRUE(Choose(CmdProgram, {ClickButton(QMessageBox::Yes, &question)}).IsDone());
  EXPECT_EQ(question, "Replace the contents of the GAL16V8 in the programmer?");
  EXPECT_EQ(Log().front(), note);
  EXPECT_TRUE(Logged("*** SUCCESS ***"));

  EXPECT_TRUE(Choose(CmdRead, {}).IsDone());
  EXPECT_EQ(Log().front(), note);
  EXPECT_EQ(FuseMapLines(), designRows);  // the chip programmed is the chip read
  EXPECT_EQ(window_.windowTitle(), "Quelvox - simulated: chip.jed (GAL16V8)");

  EXPECT_TRUE(Choose(CmdVerify, {}).IsDone());
  EXPECT_EQ(Log().front(), note);
  EXPECT_TRUE(Logged("*** SUCCESS ***"));

  EXPECT_TRUE(Choose(CmdErase, {ClickButton(QMessageBox::Yes)}).IsDone());
  EXPECT_EQ(Log().front(), note);
  EXPECT_TRUE(Logged("GAL16V8 erased"));
  EXPECT_EQ(ReadBytes(chipFile), chipBytes);  // not kept: the file is never written

  // Back to the scan: the title drops the port.
  EXPECT_TRUE(Choose(CmdChoosePort, {ChooseItem("Find the programmer automatically")}).IsDone());
  EXPECT_EQ(window_.windowTitle(), "Quelvox");
}

}  // namespace
