// The program's only window: menus, toolbar, status bar and the two panes in
// a splitter. It is also the Qt side of the window operations the core uses.
#pragma once

#include <QMainWindow>
#include <deque>

#include "platform/window.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QSplitter;
class QToolBar;
class QAction;
class SimulatePanel;

class MainWindow final : public QMainWindow, public Window {
  Q_OBJECT

 public:
  MainWindow();

  // Starts LayoutPanes on every later size event of the window.
  void BindLayoutPanes();
  // Applies the size-event geometry to the splitter.
  void LayoutPanes();

  // Window operations.
  void ClearPane(Pane pane) override;
  void AppendLine(Pane pane, const std::string& text) override;
  int LineCount(Pane pane) override;
  std::string LineText(Pane pane, int index) override;
  void ScrollToEnd(Pane pane) override;
  void SetStatusText(int field, const std::string& text) override;
  void SetProgress(int value) override;
  FileDialogResult AskFile(const FileDialogRequest& request) override;
  BoxAnswer ShowMessageBox(const std::string& title, const std::string& text, BoxButtons buttons,
                           BoxIcon icon, bool defaultNo) override;
  std::optional<int> AskChoice(const std::string& title, const std::string& prompt,
                               const std::vector<std::string>& items, int initial) override;
  std::optional<std::string> AskText(const std::string& title, const std::string& prompt,
                                     const std::string& initialText) override;
  void SetClipboardText(const std::string& text) override;
  void SetCommandChecked(int commandId, bool checked) override;
  WindowEvent TakePendingEvent() override;
  WindowEvent WaitEvent(int limitMs) override;
  void Beep(int frequencyHz, int durationMs) override;
  void SetTitle(const std::string& title) override;
  void OpenPinPanel() override;
  void RefreshPinPanel() override;

  // For the window's own tests.
  QPlainTextEdit* fuseMapPane() const { return fuseMapPane_; }
  QPlainTextEdit* logPane() const { return logPane_; }
  QSplitter* splitter() const { return splitter_; }
  QToolBar* toolBar() const { return toolBar_; }
  QLabel* statusField(int field) const { return statusFields_[field]; }
  QProgressBar* progressBar() const { return progressBar_; }
  QAction* commandAction(int commandId) const;
  SimulatePanel* pinPanel() const { return pinPanel_; }  // null until Tools > Simulate first opens it

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus();
  void BuildToolBar();
  void BuildStatusBar();
  void BuildPanes();
  QAction* AddCommand(QAction* action, int commandId);
  void PostCommand(int commandId);
  QPlainTextEdit* PaneWidget(Pane pane) const;

  QToolBar* toolBar_ = nullptr;
  QLabel* statusFields_[2] = {nullptr, nullptr};
  QProgressBar* progressBar_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QPlainTextEdit* fuseMapPane_ = nullptr;
  QPlainTextEdit* logPane_ = nullptr;
  int lineCounts_[2] = {0, 0};
  double upperShare_ = 0.5;  // the splitter keeps this proportion when resized
  bool layoutBound_ = false;
  std::deque<WindowEvent> events_;
  SimulatePanel* pinPanel_ = nullptr;
};

// "Consolas" 11, or a font that measures monospaced at 11 where Consolas is missing.
QFont PaneFont();
