// The window of quelvox-cli: it answers dialogs and boxes from a script the
// command sets up, keeps the panes and status texts as lines, and never
// waits for anything.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/window.h"

class CliWindow final : public Window {
 public:
  std::vector<std::string> FuseMapLines;
  std::vector<std::string> LogLines;
  std::string StatusFields[2];

  // Answers for the coming dialogs and boxes, front first. A dialog without
  // an answer is cancelled; a question without one is answered No.
  std::deque<FileDialogResult> DialogAnswers;
  std::deque<BoxAnswer> BoxAnswers;
  // Answers for the coming text dialogs; one without an answer is cancelled.
  std::deque<std::string> TextAnswers;

  std::vector<std::string>& Lines(Pane pane) { return pane == Pane::FuseMap ? FuseMapLines : LogLines; }

  void ClearPane(Pane pane) override { Lines(pane).clear(); }
  void AppendLine(Pane pane, const std::string& text) override { Lines(pane).push_back(text); }
  int LineCount(Pane pane) override { return static_cast<int>(Lines(pane).size()); }
  std::string LineText(Pane pane, int index) override;
  void ScrollToEnd(Pane) override {}
  void SetStatusText(int field, const std::string& text) override;
  void SetProgress(int value) override;

  // Shows progress on stderr (a terminal) while set; EndProgress clears the line.
  bool ShowProgress = false;
  void EndProgress();
  FileDialogResult AskFile(const FileDialogRequest& request) override;
  BoxAnswer ShowMessageBox(const std::string& title, const std::string& text, BoxButtons buttons,
                           BoxIcon icon, bool defaultNo) override;
  std::optional<std::string> AskText(const std::string& title, const std::string& prompt,
                                     const std::string& initialText) override;
  // Answers for the coming list choices; one without an answer is cancelled.
  std::deque<int> ChoiceAnswers;
  std::optional<int> AskChoice(const std::string& title, const std::string& prompt,
                               const std::vector<std::string>& items, int initial) override;
  void SetClipboardText(const std::string&) override {}
  void SetCommandChecked(int, bool) override {}
  WindowEvent TakePendingEvent() override { return {}; }
  WindowEvent WaitEvent(int) override { return {EventKind::Close, 0}; }
  void Beep(int, int) override {}

 private:
  int shownProgress_ = -1;  // the value on the terminal, -1 when none
};
