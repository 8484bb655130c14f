// A window for tests: panes are string vectors, the status bar is three
// values, and dialogs and boxes are answered from a script. Everything shown
// is recorded so that a test can compare it with what the user would see.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "boxsim/sim_port.h"
#include "platform/window.h"

struct ShownBox {
  std::string Title;
  std::string Text;
  BoxButtons Buttons = BoxButtons::Ok;
  BoxIcon Icon = BoxIcon::None;
  bool DefaultNo = false;
};

struct ShownChoiceDialog {
  std::string Title;
  std::string Prompt;
  std::vector<std::string> Items;
  int Initial = 0;
};

struct ShownTextDialog {
  std::string Title;
  std::string Prompt;
  std::string InitialText;
};

struct BeepRecord {
  int FrequencyHz = 0;
  int DurationMs = 0;
};

class RecordingWindow final : public Window {
 public:
  std::vector<std::string> FuseMapLines;
  std::vector<std::string> LogLines;
  std::string StatusFields[2];
  int Progress = 0;
  std::vector<int> ProgressHistory;
  int LogScrolls = 0;  // ScrollToEnd calls on the log pane
  int PumpCalls = 0;   // TakePendingEvent calls

  // Scripted answers, taken front first. A dialog without an answer is
  // cancelled; a box without an answer is closed (BoxAnswer::Closed).
  std::deque<FileDialogResult> DialogAnswers;
  std::deque<BoxAnswer> BoxAnswers;
  std::vector<FileDialogRequest> Dialogs;
  std::vector<ShownBox> Boxes;
  std::vector<BeepRecord> Beeps;
  // Text dialogs: answers front first (nothing = cancelled; a dialog without
  // an answer is cancelled too), and the dialogs shown.
  std::deque<std::optional<std::string>> TextAnswers;
  std::vector<ShownTextDialog> TextDialogs;
  // Answers for the coming list choices, front first: an index, or nothing
  // for Cancel; a choice without an answer is cancelled.
  std::deque<std::optional<int>> ChoiceAnswers;
  std::vector<ShownChoiceDialog> ChoiceDialogs;
  std::string Clipboard;
  std::string Title;               // the window title, as last set
  std::map<int, bool> CheckMarks;  // by CommandId, as last set
  int PinPanelOpens = 0;           // OpenPinPanel calls
  int PinPanelRefreshes = 0;       // RefreshPinPanel calls

  // Events that TakePendingEvent hands out, and those WaitEvent hands out.
  // When WaitEvent has nothing left it returns a close event.
  std::deque<WindowEvent> PendingEvents;
  std::deque<WindowEvent> LoopEvents;
  std::vector<WindowEvent> DroppedEvents;  // taken by TakePendingEvent

  // Called after every appended line, with the pane and the text.
  std::function<void(Pane, const std::string&)> OnAppend;

  // Answers for the next dialogs: "choose this path with this filter".
  void AnswerDialog(const std::string& path, int filterIndex = 0) {
    DialogAnswers.push_back({path, filterIndex});
  }
  void CancelDialog() { DialogAnswers.push_back({"", 0}); }
  void AnswerBox(BoxAnswer answer) { BoxAnswers.push_back(answer); }

  std::vector<std::string>& Lines(Pane pane) { return pane == Pane::FuseMap ? FuseMapLines : LogLines; }

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
  std::optional<std::string> AskText(const std::string& title, const std::string& prompt,
                                     const std::string& initialText) override;
  std::optional<int> AskChoice(const std::string& title, const std::string& prompt,
                               const std::vector<std::string>& items, int initial) override;
  void SetClipboardText(const std::string& text) override { Clipboard = text; }
  void SetCommandChecked(int commandId, bool checked) override { CheckMarks[commandId] = checked; }
  WindowEvent TakePendingEvent() override;
  WindowEvent WaitEvent(int limitMs) override;
  void Beep(int frequencyHz, int durationMs) override;
  void SetTitle(const std::string& title) override { Title = title; }
  void OpenPinPanel() override { ++PinPanelOpens; }
  void RefreshPinPanel() override { ++PinPanelRefreshes; }
};

// Installs a fresh recording window and resets the program state for the
// lifetime of the object; the usual first line of a test. It also plugs in a
// serial port with nothing attached, so that no test reaches the machine's
// own ports (a BoxLink declared after it plugs in the simulated box).
class TestWindowScope {
 public:
  TestWindowScope();
  ~TestWindowScope();
  RecordingWindow& window() { return window_; }

 private:
  RecordingWindow window_;
  SimulatedPorts noPorts_;
};
