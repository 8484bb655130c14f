// The recording window: panes as string vectors, scripted answers, a fresh program state per scope.
#include "tests/support/recording_window.h"

#include "commands/main_loop.h"
#include "platform/serial_port.h"

void RecordingWindow::ClearPane(Pane pane) {
  Lines(pane).clear();
}

void RecordingWindow::AppendLine(Pane pane, const std::string& text) {
  Lines(pane).push_back(text);
  if (OnAppend) OnAppend(pane, text);
}

int RecordingWindow::LineCount(Pane pane) {
  return static_cast<int>(Lines(pane).size());
}

std::string RecordingWindow::LineText(Pane pane, int index) {
  auto& lines = Lines(pane);
  if (index < 0 || index >= static_cast<int>(lines.size())) return std::string();
  return lines[static_cast<std::size_t>(index)];
}

void RecordingWindow::ScrollToEnd(Pane pane) {
  if (pane == Pane::Log) ++LogScrolls;
}

void RecordingWindow::SetStatusText(int field, const std::string& text) {
  if (field == 0 || field == 1) StatusFields[field] = text;
}

void RecordingWindow::SetProgress(int value) {
  Progress = value;
  ProgressHistory.push_back(value);
}

FileDialogResult RecordingWindow::AskFile(const FileDialogRequest& request) {
  Dialogs.push_back(request);
  if (DialogAnswers.empty()) return {"", request.FilterIndex};
  FileDialogResult answer = DialogAnswers.front();
  DialogAnswers.pop_front();
  return answer;
}

BoxAnswer RecordingWindow::ShowMessageBox(const std::string& title, const std::string& text,
                                          BoxButtons buttons, BoxIcon icon, bool defaultNo) {
  Boxes.push_back({title, text, buttons, icon, defaultNo});
  if (BoxAnswers.empty()) return buttons == BoxButtons::Ok ? BoxAnswer::Ok : BoxAnswer::Closed;
  BoxAnswer answer = BoxAnswers.front();
  BoxAnswers.pop_front();
  return answer;
}

std::optional<int> RecordingWindow::AskChoice(const std::string& title, const std::string& prompt,
                                              const std::vector<std::string>& items, int initial) {
  ChoiceDialogs.push_back({title, prompt, items, initial});
  if (ChoiceAnswers.empty()) return std::nullopt;
  std::optional<int> answer = ChoiceAnswers.front();
  ChoiceAnswers.pop_front();
  return answer;
}

std::optional<std::string> RecordingWindow::AskText(const std::string& title, const std::string& prompt,
                                                    const std::string& initialText) {
  TextDialogs.push_back({title, prompt, initialText});
  if (TextAnswers.empty()) return std::nullopt;
  std::optional<std::string> answer = TextAnswers.front();
  TextAnswers.pop_front();
  return answer;
}

WindowEvent RecordingWindow::TakePendingEvent() {
  ++PumpCalls;
  if (PendingEvents.empty()) return {};
  WindowEvent event = PendingEvents.front();
  PendingEvents.pop_front();
  DroppedEvents.push_back(event);
  return event;
}

WindowEvent RecordingWindow::WaitEvent(int /*limitMs*/) {
  if (LoopEvents.empty()) return {EventKind::Close, 0};
  WindowEvent event = LoopEvents.front();
  LoopEvents.pop_front();
  return event;
}

void RecordingWindow::Beep(int frequencyHz, int durationMs) {
  Beeps.push_back({frequencyHz, durationMs});
}

TestWindowScope::TestWindowScope() {
  InstallWindow(&window_);
  InstallSerialPort(&noPorts_);
  ResetProgramState();
}

TestWindowScope::~TestWindowScope() {
  ResetProgramState();
  InstallSerialPort(nullptr);
  InstallWindow(nullptr);
}
