// The Device commands in the real window: Program with the simulated box and
// the question answered both ways, Set User Signature through the text dialog
// (opening with the signature there is), and the check mark of the security
// item.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "app/main_window.h"
#include "base/fuse_map.h"
#include "commands/command_ids.h"
#include "commands/dispatch.h"
#include "commands/main_loop.h"
#include "devices/gal_device.h"
#include "fuses/fuse_map_view.h"
#include "tests/app/shown_window.h"
#include "tests/support/box_link.h"

namespace {

// Hands the next modal dialog of type T to answer, once it is open.
template <typename T>
void AnswerNextModal(std::function<void(T*)> answer, bool* seen) {
  QTimer::singleShot(20, [=] {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      AnswerNextModal<T>(answer, seen);
      return;
    }
    *seen = true;
    answer(dialog);
  });
}

class DeviceWindow : public ShownWindowTest {
 protected:
  std::string LastLog(int back) { return window_.LineText(Pane::Log, window_.LineCount(Pane::Log) - back); }
  // A GAL16V8 map with every third fuse at 0, shown as after opening its file.
  std::vector<std::uint8_t> ShowMap() {
    std::vector<std::uint8_t> map;
    for (int i = 0; i < 2194; ++i) map.push_back(i % 3 == 0 ? 0 : 1);
    SelectDevice(0);
    std::copy(map.begin(), map.end(), FuseMap.begin());
    FuseMapLength = 2194;
    ShowFuseMap(2194);
    return map;
  }
};

TEST_F(DeviceWindow, ProgramWritesTheMapOnlyWhenTheQuestionIsAnsweredYes) {
  for (QMessageBox::StandardButton button : {QMessageBox::No, QMessageBox::Yes}) {
    BoxLink link;
    link.Insert("GAL16V8");
    const std::vector<std::uint8_t> map = ShowMap();
    bool seen = false;
    QString question;
    bool noIsDefault = false;
    AnswerNextModal<QMessageBox>(
        [&question, &noIsDefault, button](QMessageBox* box) {
          question = box->text();
          noIsDefault = box->defaultButton() == box->button(QMessageBox::No);
          box->button(button)->click();
        },
        &seen);
    DispatchCommand(CmdProgram);
    EXPECT_TRUE(seen);
    EXPECT_EQ(question, "Replace the contents of the GAL16V8 in the programmer?");
    EXPECT_TRUE(noIsDefault);
    const bool yes = button == QMessageBox::Yes;
    EXPECT_EQ(link.Box.Socket->Fuses, yes ? map : std::vector<std::uint8_t>(2194, 1));
    EXPECT_EQ(LastLog(1), ">>> done <<<");
    EXPECT_EQ(LastLog(2), yes ? "*** SUCCESS ***" : "PES: 00 00 00 A1 00 00 00 00 ");
    EXPECT_EQ(window_.progressBar()->value(), 0);
    EXPECT_EQ(window_.LineText(Pane::FuseMap, 0), FuseRowLine(0, 32));
  }
}

TEST_F(DeviceWindow, SetUserSignatureShowsTheNewUesInTheStatusBar) {
  ShowMap();
  bool seen = false;
  AnswerNextModal<QInputDialog>(
      [](QInputDialog* dialog) {
        dialog->setTextValue(QString::fromUtf8("Quelvöx"));
        dialog->accept();
      },
      &seen);
  DispatchCommand(CmdSetUserSignature);
  EXPECT_TRUE(seen);
  EXPECT_EQ(window_.statusField(1)->text(), QString::fromUtf8("UES: Quelvöx "));
  EXPECT_EQ(window_.statusField(0)->text(), "GAL16V8");
  EXPECT_EQ(FuseMap[2056 + 8 * 5 + 0], 1);  // ö is 0xF6: 1111 0110
  EXPECT_EQ(FuseMap[2056 + 8 * 5 + 7], 0);

  // The dialog opens with the signature there is; OK leaves it as it was.
  const std::vector<std::uint8_t> before(FuseMap.begin(), FuseMap.begin() + 2194);
  QString offered;
  AnswerNextModal<QInputDialog>(
      [&offered](QInputDialog* dialog) {
        offered = dialog->textValue();
        dialog->accept();
      },
      &seen);
  DispatchCommand(CmdSetUserSignature);
  EXPECT_EQ(offered, QString::fromUtf8("Quelvöx"));
  EXPECT_EQ(std::vector<std::uint8_t>(FuseMap.begin(), FuseMap.begin() + 2194), before);
}

TEST_F(DeviceWindow, TheSecurityMarkFollowsTheCommandNotTheClick) {
  QAction* security = window_.commandAction(CmdEnableSecurity);
  ASSERT_NE(security, nullptr);
  EXPECT_TRUE(security->isCheckable());
  EXPECT_FALSE(security->isChecked());
  for (bool expected : {true, false}) {
    security->trigger();
    EXPECT_EQ(security->isChecked(), !expected);  // not before the command runs
    const WindowEvent event = window_.WaitEvent(1000);
    ASSERT_EQ(event.Kind, EventKind::Menu);
    ASSERT_EQ(event.Code, CmdEnableSecurity);
    DispatchCommand(event.Code);
    EXPECT_EQ(security->isChecked(), expected);
  }
  // A click while a command runs is dropped, and so is its mark.
  RunAsCommand([security] {
    security->trigger();
    return CommandDone();
  });
  EXPECT_FALSE(security->isChecked());
  EXPECT_EQ(window_.WaitEvent(30).Kind, EventKind::None);
}

}  // namespace
