// The scripted window of quelvox-cli: dialog and box answers from the command line.
#include "cli/cli_window.h"

#include <cstdio>

std::string CliWindow::LineText(Pane pane, int index) {
  const auto& lines = Lines(pane);
  if (index < 0 || index >= static_cast<int>(lines.size())) return std::string();
  return lines[static_cast<std::size_t>(index)];
}

// One line rewritten in place; the output blocks on stdout stay as they are.
void CliWindow::SetProgress(int value) {
  if (!ShowProgress || value == shownProgress_) return;
  shownProgress_ = value;
  std::fprintf(stderr, "\r%3d%%", value);
  std::fflush(stderr);
}

void CliWindow::EndProgress() {
  if (shownProgress_ < 0) return;
  std::fprintf(stderr, "\r    \r");
  std::fflush(stderr);
  shownProgress_ = -1;
}

void CliWindow::SetStatusText(int field, const std::string& text) {
  if (field == 0 || field == 1) StatusFields[field] = text;
}

FileDialogResult CliWindow::AskFile(const FileDialogRequest& request) {
  if (DialogAnswers.empty()) return {"", request.FilterIndex};
  FileDialogResult answer = DialogAnswers.front();
  DialogAnswers.pop_front();
  return answer;
}

BoxAnswer CliWindow::ShowMessageBox(const std::string&, const std::string&, BoxButtons buttons, BoxIcon,
                                    bool) {
  if (buttons == BoxButtons::Ok) return BoxAnswer::Ok;
  if (BoxAnswers.empty()) return BoxAnswer::No;
  BoxAnswer answer = BoxAnswers.front();
  BoxAnswers.pop_front();
  return answer;
}

std::optional<int> CliWindow::AskChoice(const std::string&, const std::string&,
                                        const std::vector<std::string>&, int) {
  if (ChoiceAnswers.empty()) return std::nullopt;
  const int answer = ChoiceAnswers.front();
  ChoiceAnswers.pop_front();
  return answer;
}

std::optional<std::string> CliWindow::AskText(const std::string&, const std::string&, const std::string&) {
  if (TextAnswers.empty()) return std::nullopt;
  std::string answer = TextAnswers.front();
  TextAnswers.pop_front();
  return answer;
}
