// The real Qt window under an X server: geometry, menus, toolbar, panes, events.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTextBlock>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <cmath>
#include <deque>
#include <filesystem>
#include <fstream>

#include "base/message_log.h"
#include "base/requesters.h"
#include "commands/command_actions.h"
#include "commands/command_ids.h"
#include "commands/dispatch.h"
#include "commands/main_loop.h"
#include "fuses/fuse_file_load.h"
#include "tests/support/box_link.h"

namespace {

void Settle() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

class Window : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    InstallWindow(&window_);
    window_.show();
    Settle();
    window_.BindLayoutPanes();
  }
  void TearDown() override {
    InstallWindow(nullptr);
    ResetProgramState();
  }
  MainWindow window_;
};

TEST_F(Window, OpensCentredAt650ByEightTenthsLessOneTenthOfTheDesktop) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  const int height = static_cast<int>(std::lround(0.7 * screen.height()));
  EXPECT_EQ(window_.width(), 650);
  EXPECT_EQ(window_.height(), height);
  if (qEnvironmentVariable("QUELVOX_EXPECT_XVFB") == "1") {
    EXPECT_EQ(QGuiApplication::platformName(), "xcb");
    EXPECT_EQ(screen.size(), QSize(1920, 1080));
    EXPECT_EQ(height, 756);
  }
  // Centred within the frame margins some platforms add; without a window
  // manager (Xvfb) frame and client coincide and the client is exactly centred.
  const QRect frame = window_.frameGeometry();
  EXPECT_LE(std::abs(frame.center().x() - area.center().x()), 2);
  EXPECT_LE(std::abs(frame.center().y() - area.center().y()), 2);
  if (qEnvironmentVariable("QUELVOX_EXPECT_XVFB") == "1") {
    EXPECT_EQ(window_.mapToGlobal(QPoint(0, 0)), QPoint(635, 162));
  }
  EXPECT_EQ(window_.windowTitle(), "Quelvox");
}

TEST_F(Window, OffersNoMaximiseButton) {
  const Qt::WindowFlags flags = window_.windowFlags();
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
}

struct Item {
  QString Text;
  int Id;  // 0 for a separator
};

TEST_F(Window, MenusCarryTheirTextsAndCommands) {
  const std::vector<std::pair<QString, std::vector<Item>>> expected = {
      {"File", {{"Open...", 16}, {"Save As...", 17}, {"Export ABEL design...", 37}, {"", 0}, {"Quit", 35}}},
      {"Device",
       {{"Set User Signature", 19},
        {"Copy PES", 20},
        {"Enable Security feature", 22},
        {"", 0},
        {"Disable ATMEL PD feature", 21},
        {"ATMEL Conditioning", 23},
        {"", 0},
        {"Port...", 38}}},
      {"Tools", {{"Supply test", 24}, {"Equations", 36}, {"Simulate...", 39}}},
      {"?", {{"Supported Devices", 26}, {"About", 25}}},
  };
  const QList<QAction*> menus = window_.menuBar()->actions();
  ASSERT_EQ(menus.size(), static_cast<qsizetype>(expected.size()));
  for (std::size_t m = 0; m < expected.size(); ++m) {
    EXPECT_EQ(menus[m]->text(), expected[m].first);
    const QList<QAction*> items = menus[m]->menu()->actions();
    ASSERT_EQ(items.size(), static_cast<qsizetype>(expected[m].second.size())) << m;
    for (qsizetype i = 0; i < items.size(); ++i) {
      const Item& want = expected[m].second[static_cast<std::size_t>(i)];
      if (want.Id == 0) {
        EXPECT_TRUE(items[i]->isSeparator());
        continue;
      }
      EXPECT_EQ(items[i]->text(), want.Text);
      EXPECT_EQ(window_.commandAction(want.Id), items[i]) << want.Text.toStdString();
      EXPECT_TRUE(items[i]->isEnabled());
    }
  }
  EXPECT_EQ(window_.commandAction(CmdOpenMenu)->shortcut(), QKeySequence(QKeySequence::Open));
  EXPECT_EQ(window_.commandAction(CmdSaveAsMenu)->shortcut(), QKeySequence(QKeySequence::Save));
  EXPECT_EQ(window_.commandAction(CmdQuit)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
}

TEST_F(Window, ToolbarButtonsShowTextUnderLargeIconsWithTheirTooltips) {
  struct Button {
    QString Text;
    int Id;
    QString Tooltip;
  };
  const std::vector<Button> expected = {
      {"Open", 27, "Open JEDEC fuse file"},
      {"Save", 28, "Safe as JEDEC fuse file"},
      {"", 0, ""},
      {"Compile", 29, "Compile & Program"},
      {"", 0, ""},
      {"Read", 30, "Read GAL"},
      {"Program", 31, "Program GAL"},
      {"Verify", 32, "Verify GAL"},
      {"Erase", 33, "Erase GAL"},
      {"Info", 34, "Pinout & OLMC configuration"},
  };
  QToolBar* bar = window_.toolBar();
  EXPECT_EQ(bar->iconSize(), QSize(24, 24));
  EXPECT_EQ(bar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
  const QList<QAction*> actions = bar->actions();
  ASSERT_EQ(actions.size(), static_cast<qsizetype>(expected.size()));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (expected[i].Id == 0) {
      EXPECT_TRUE(actions[i]->isSeparator()) << i;
      continue;
    }
    EXPECT_EQ(actions[i]->text(), expected[i].Text);
    EXPECT_EQ(actions[i]->toolTip(), expected[i].Tooltip);
    EXPECT_EQ(window_.commandAction(expected[i].Id), actions[i]);
    EXPECT_FALSE(actions[i]->icon().isNull()) << expected[i].Text.toStdString();
    auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(actions[i]));
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->autoRaise());  // flat
    EXPECT_TRUE(button->isEnabled());
  }
}

TEST_F(Window, StartsWithEmptyPanesAndStatusAndOneWelcomeLine) {
  GreetUser();
  EXPECT_EQ(window_.LineCount(Pane::Log), 1);
  EXPECT_EQ(window_.logPane()->toPlainText(), "Welcome Quelvox user");
  EXPECT_EQ(window_.LineCount(Pane::FuseMap), 0);
  EXPECT_TRUE(window_.fuseMapPane()->toPlainText().isEmpty());
  EXPECT_TRUE(window_.statusField(0)->text().isEmpty());
  EXPECT_TRUE(window_.statusField(1)->text().isEmpty());
  EXPECT_EQ(window_.progressBar()->value(), 0);
  EXPECT_EQ(window_.progressBar()->minimum(), 0);
  EXPECT_EQ(window_.progressBar()->maximum(), 100);
}

TEST_F(Window, StatusFieldsShareTheWidthEquallyWhateverTheirText) {
  window_.SetStatusText(0, "GAL22V10");
  window_.SetStatusText(1, "UES: a rather long user electronic signature text that would push the others");
  Settle();
  const int first = window_.statusField(0)->width();
  EXPECT_GT(first, 150);
  EXPECT_EQ(window_.statusField(1)->width(), first);
  EXPECT_EQ(window_.progressBar()->width(), first);
}

// Measured, not asked: fonts like Noto Sans Mono are monospaced but not
// reported as fixed-pitch.
TEST_F(Window, PanesUseAFixedPitchFontWithWrapOnlyBelow) {
  for (QPlainTextEdit* pane : {window_.fuseMapPane(), window_.logPane()}) {
    const QFontMetricsF metrics(pane->font());
    for (const QChar c : QStringLiteral("1i.M|_"))
      EXPECT_NEAR(metrics.horizontalAdvance(c), metrics.horizontalAdvance(QLatin1Char('0')), 0.01)
          << QString(c).toStdString() << " in " << QFontInfo(pane->font()).family().toStdString();
    EXPECT_EQ(pane->font().pointSize(), 11);
    EXPECT_TRUE(pane->isReadOnly());
  }
  EXPECT_EQ(window_.fuseMapPane()->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_EQ(window_.logPane()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_EQ(window_.splitter()->widget(0), window_.fuseMapPane());
  EXPECT_EQ(window_.splitter()->widget(1), window_.logPane());
}

TEST_F(Window, ALongFuseMapLineStaysOneLineAndReadsBackExactly) {
  const std::string longLine(400, '1');
  const std::string mixed = "L0000 0101 \\ \xC3\xA9";  // backslash and a non-ASCII character
  window_.AppendLine(Pane::FuseMap, longLine);
  window_.AppendLine(Pane::FuseMap, "");
  window_.AppendLine(Pane::FuseMap, mixed);
  Settle();
  ASSERT_EQ(window_.LineCount(Pane::FuseMap), 3);
  EXPECT_EQ(window_.LineText(Pane::FuseMap, 0), longLine);
  EXPECT_EQ(window_.LineText(Pane::FuseMap, 1), "");
  EXPECT_EQ(window_.LineText(Pane::FuseMap, 2), mixed);
  QTextBlock block = window_.fuseMapPane()->document()->firstBlock();
  ASSERT_NE(block.layout(), nullptr);
  EXPECT_EQ(block.layout()->lineCount(), 1);

  window_.AppendLine(Pane::Log, std::string(400, 'x'));
  Settle();
  QTextBlock logBlock = window_.logPane()->document()->firstBlock();
  EXPECT_GT(logBlock.layout()->lineCount(), 1);

  window_.ClearPane(Pane::FuseMap);
  EXPECT_EQ(window_.LineCount(Pane::FuseMap), 0);
  EXPECT_EQ(window_.LineText(Pane::FuseMap, 0), "");
}

TEST_F(Window, WideningTheWindowWidensBothPanesAndKeepsTheLeftMargin) {
  Settle();
  const int fuseWidth = window_.fuseMapPane()->width();
  const int logWidth = window_.logPane()->width();
  window_.resize(window_.width() + 100, window_.height());
  Settle();
  EXPECT_EQ(window_.splitter()->x(), 5);
  EXPECT_EQ(window_.splitter()->width(), window_.centralWidget()->width() - 10);
  EXPECT_EQ(window_.splitter()->height(), window_.centralWidget()->height() - 40);
  EXPECT_EQ(window_.fuseMapPane()->width(), fuseWidth + 100);
  EXPECT_EQ(window_.logPane()->width(), logWidth + 100);
}

TEST(WindowCreation, PanesKeepTheirOpeningGeometryUntilTheFirstResize) {
  MainWindow window;
  window.show();
  Settle();
  QWidget* area = window.centralWidget();
  EXPECT_EQ(window.splitter()->geometry(), QRect(5, 0, 640, area->height() - 30));
  window.BindLayoutPanes();
  window.resize(window.width(), window.height() + 10);
  Settle();
  EXPECT_EQ(window.splitter()->geometry(), QRect(5, 0, area->width() - 10, area->height() - 40));
}

TEST_F(Window, TheSplitStartsInTheMiddleAndKeepsItsProportion) {
  Settle();
  QList<int> sizes = window_.splitter()->sizes();
  EXPECT_LE(std::abs(sizes[0] - sizes[1]), 1);
  window_.resize(window_.width(), window_.height() + 120);
  Settle();
  sizes = window_.splitter()->sizes();
  EXPECT_LE(std::abs(sizes[0] - sizes[1]), 1);
  window_.splitter()->setSizes({100, 300});
  emit window_.splitter()->splitterMoved(100, 1);
  window_.resize(window_.width(), window_.height() - 200);
  Settle();
  sizes = window_.splitter()->sizes();
  EXPECT_NEAR(static_cast<double>(sizes[0]) / (sizes[0] + sizes[1]), 0.25, 0.02);
}

TEST_F(Window, ClicksAndCloseRequestsDuringACommandAreDropped) {
  QAction* about = window_.commandAction(CmdAbout);
  QToolButton* info =
      qobject_cast<QToolButton*>(window_.toolBar()->widgetForAction(window_.commandAction(CmdInfo)));
  ASSERT_NE(info, nullptr);
  // Both arrive while a command without action (no item carries 1000)
  // appends its closing line.
  QMetaObject::invokeMethod(about, "trigger", Qt::QueuedConnection);
  QMetaObject::invokeMethod(info, "click", Qt::QueuedConnection);
  QCoreApplication::postEvent(&window_, new QCloseEvent);
  DispatchCommand(1000);
  EXPECT_TRUE(window_.isVisible());
  EXPECT_EQ(window_.WaitEvent(30).Kind, EventKind::None);
  EXPECT_EQ(window_.LineCount(Pane::Log), 1);

  // Outside a command the same click and close reach the main loop.
  QMetaObject::invokeMethod(info, "click", Qt::QueuedConnection);
  QCoreApplication::postEvent(&window_, new QCloseEvent);
  WindowEvent first = window_.WaitEvent(1000);
  EXPECT_EQ(first.Kind, EventKind::Menu);
  EXPECT_EQ(first.Code, CmdInfo);
  EXPECT_EQ(window_.WaitEvent(1000).Kind, EventKind::Close);
  EXPECT_TRUE(window_.isVisible());
}

TEST_F(Window, LogKeepsItsLastLineInView) {
  for (int i = 0; i < 200; ++i) MessageLog("line " + std::to_string(i), LevelPlain);
  Settle();
  QScrollBar* bar = window_.logPane()->verticalScrollBar();
  EXPECT_EQ(bar->value(), bar->maximum());
  EXPECT_GT(bar->maximum(), 0);
}

// The fuse-map pane shows a map from its first row, whether it came from a
// file or from the chip.
TEST_F(Window, TheFuseMapPaneStartsAtItsFirstRow) {
  const auto firstVisibleLine = [this] {
    Settle();
    QPlainTextEdit* pane = window_.fuseMapPane();
    return pane->cursorForPosition(QPoint(2, 2)).block().text().toStdString().substr(0, 6);
  };
  LoadFuseFile(std::string(QUELVOX_TESTDATA_DIR) + "/jedec/galette_GAL22V10_arsp.jed");
  ASSERT_GT(window_.LineCount(Pane::FuseMap), 40);
  EXPECT_EQ(firstVisibleLine(), "L00000");

  BoxLink link;
  link.Insert("GAL16V8", std::vector<std::uint8_t>(2194, 1));
  DispatchCommand(CmdRead);
  ASSERT_EQ(window_.LineCount(Pane::FuseMap), 69);
  EXPECT_EQ(firstVisibleLine(), "L00000");
}

// Answers the next modal file dialog with a name typed in its field.
void AnswerNextFileDialog(const QString& name, int filterIndex, bool* seen) {
  QTimer::singleShot(50, [=] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      AnswerNextFileDialog(name, filterIndex, seen);
      return;
    }
    *seen = true;
    if (filterIndex >= 0) dialog->selectNameFilter(dialog->nameFilters().value(filterIndex));
    // Typed into the name field, as a user would.
    if (auto* field = dialog->findChild<QLineEdit*>("fileNameEdit")) field->setText(name);
    static_cast<QDialog*>(dialog)->accept();
  });
}

TEST_F(Window, SaveDialogReturnsTheNameAndTheFilterWithoutMovingTheCurrentDirectory) {
  namespace fs = std::filesystem;
  const fs::path before = fs::current_path();
  const fs::path dir = fs::temp_directory_path() / "quelvox-window-dialog";
  fs::create_directories(dir);
  bool seen = false;
  AnswerNextFileDialog(QString::fromStdString((dir / "saved").string()), 2, &seen);
  FileDialogResult result = window_.AskFile({true, "Save as", dir.string() + "/", FilePatterns, 0});
  EXPECT_TRUE(seen);
  EXPECT_EQ(result.Path, (dir / "saved").string());
  EXPECT_EQ(result.FilterIndex, 2);
  EXPECT_EQ(fs::current_path(), before);

  // Through the requester: the JEDEC filter adds the extension.
  seen = false;
  AnswerNextFileDialog(QString::fromStdString((dir / "second").string()), 0, &seen);
  EXPECT_EQ(AskFileName(1, FilterJedec, ""), (dir / "second.jed").string());
  EXPECT_EQ(fs::current_path(), before);
  fs::remove_all(dir);
}

// Answers every modal box and dialog that opens while it lives: a box with
// the next of its buttons (No when none is left), a file dialog by
// cancelling it. Records what was shown.
class ModalAnswers {
 public:
  explicit ModalAnswers(std::deque<QMessageBox::StandardButton> buttons) : buttons_(std::move(buttons)) {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Answer(); });
    timer_.start();
  }
  std::vector<QString> BoxTexts;
  int FileDialogs = 0;

 private:
  void Answer() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      BoxTexts.push_back(box->text());
      const QMessageBox::StandardButton button = buttons_.empty() ? QMessageBox::No : buttons_.front();
      if (!buttons_.empty()) buttons_.pop_front();
      if (QAbstractButton* b = box->button(button)) b->click();
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      ++FileDialogs;
      dialog->reject();
    }
  }
  std::deque<QMessageBox::StandardButton> buttons_;
  QTimer timer_;
};

const std::string ExampleMap = std::string(QUELVOX_SOURCE_DIR) + "/examples/decoder_16v8.jed";

TEST_F(Window, AFileNamedAtStartOpensAndTheTitleNamesIt) {
  EXPECT_EQ(window_.windowTitle(), "Quelvox");
  EXPECT_TRUE(OpenNamedFile(ExampleMap).IsDone());
  EXPECT_EQ(window_.windowTitle(), "Quelvox - decoder_16v8.jed");
  EXPECT_EQ(window_.statusField(0)->text(), "GAL16V8");
  EXPECT_EQ(window_.LineCount(Pane::FuseMap), 69);
  EXPECT_EQ(window_.LineText(Pane::Log, window_.LineCount(Pane::Log) - 1), ">>> done <<<");
  // A file that does not load leaves no name in the title.
  EXPECT_FALSE(OpenNamedFile(ExampleMap + ".missing").IsDone());
  EXPECT_EQ(window_.windowTitle(), "Quelvox");
}

TEST_F(Window, QuitEndsTheMainLoop) {
  QTimer fallback;  // ends a loop that Quit did not end, so the test fails instead of hanging
  fallback.setSingleShot(true);
  QObject::connect(&fallback, &QTimer::timeout, [this] { window_.close(); });
  fallback.start(5000);
  QElapsedTimer elapsed;
  elapsed.start();
  QMetaObject::invokeMethod(window_.commandAction(CmdQuit), "trigger", Qt::QueuedConnection);
  EXPECT_EQ(RunMainLoop(), 0);
  EXPECT_LT(elapsed.elapsed(), 4000);
}

TEST_F(Window, SaveWithNothingLoadedAsksNothingAndWritesNothing) {
  ModalAnswers answers({});
  DispatchCommand(CmdSaveButton);
  EXPECT_EQ(answers.FileDialogs, 0);
  const int n = window_.LineCount(Pane::Log);
  EXPECT_EQ(window_.LineText(Pane::Log, n - 2), "Nothing to save: no fuse map is loaded");
  EXPECT_EQ(window_.LineText(Pane::Log, n - 3), "ERROR!");
}

TEST_F(Window, AnUnsavedReadIsKeptOrDiscardedAsTheUserSays) {
  BoxLink link;
  std::vector<std::uint8_t> fuses(2194, 0);
  fuses[7] = 1;
  link.Insert("GAL16V8", fuses);
  ASSERT_TRUE(DispatchCommand(CmdRead).IsDone());
  EXPECT_EQ(window_.windowTitle(), "Quelvox");
  const std::string firstRow = window_.LineText(Pane::FuseMap, 0);
  {
    ModalAnswers answers({QMessageBox::No});
    EXPECT_EQ(DispatchCommand(CmdOpenButton).Status, CommandStatus::Cancelled);
    EXPECT_EQ(answers.BoxTexts,
              std::vector<QString>{"The fuse map read from the chip is not saved. Discard it?"});
    EXPECT_EQ(answers.FileDialogs, 0);
  }
  {
    ModalAnswers answers({QMessageBox::Yes});
    DispatchCommand(CmdCompile);
    EXPECT_EQ(answers.BoxTexts.size(), 1u);
    EXPECT_EQ(answers.FileDialogs, 1);  // cancelled: the map stays
  }
  EXPECT_EQ(window_.LineText(Pane::FuseMap, 0), firstRow);
}

}  // namespace
