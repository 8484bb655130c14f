// The window operations the core needs: panes, status bar, dialogs, boxes,
// the clipboard, check marks, events and the beep. Production installs the Qt window (app/); tests install
// a recording window (tests/support/). Text is UTF-8 on both sides.
#pragma once

#include <optional>
#include <string>
#include <vector>

enum class Pane { FuseMap = 0, Log = 1 };

enum class EventKind { None, Menu, Gadget, Size, Close };

struct WindowEvent {
  EventKind Kind = EventKind::None;
  int Code = 0;  // CommandId of a menu event, gadget number of a gadget event
};

enum class BoxButtons { Ok, YesNo };
enum class BoxIcon { None, Information, Warning };
enum class BoxAnswer { Ok, Yes, No, Closed };

struct FileDialogRequest {
  bool ForSave = false;
  std::string Title;
  std::string InitialPath;  // start directory, plus the proposed name for a save
  std::string Filters;      // "description|pattern|description|pattern..."
  int FilterIndex = 0;      // filter selected when the dialog opens
};

struct FileDialogResult {
  std::string Path;     // empty when cancelled
  int FilterIndex = 0;  // filter selected when the dialog closed
};

class Window {
 public:
  virtual ~Window() = default;

  // Panes.
  virtual void ClearPane(Pane pane) = 0;
  virtual void AppendLine(Pane pane, const std::string& text) = 0;
  virtual int LineCount(Pane pane) = 0;
  virtual std::string LineText(Pane pane, int index) = 0;
  virtual void ScrollToEnd(Pane pane) = 0;

  // Status bar: fields 0 and 1 hold text, field 2 the progress bar (0..100).
  virtual void SetStatusText(int field, const std::string& text) = 0;
  virtual void SetProgress(int value) = 0;

  // Requesters. Neither dialog may change the process's current directory.
  virtual FileDialogResult AskFile(const FileDialogRequest& request) = 0;
  virtual BoxAnswer ShowMessageBox(const std::string& title, const std::string& text, BoxButtons buttons,
                                   BoxIcon icon, bool defaultNo) = 0;

  // A one-line text dialog with OK and Cancel, opening with initialText in
  // its field: the text entered, or nothing when cancelled.
  virtual std::optional<std::string> AskText(const std::string& title, const std::string& prompt,
                                             const std::string& initialText) = 0;
  // A list to choose one item from, with OK and Cancel, opening on the item
  // initial: the index chosen, or nothing when cancelled.
  virtual std::optional<int> AskChoice(const std::string& title, const std::string& prompt,
                                       const std::vector<std::string>& items, int initial) = 0;

  // Puts text on the system clipboard.
  virtual void SetClipboardText(const std::string& text) = 0;

  // Shows the check mark of a checkable menu item. The mark only shows what
  // the command keeps: choosing the item does not toggle it by itself.
  virtual void SetCommandChecked(int commandId, bool checked) = 0;

  // Events. TakePendingEvent never blocks: it lets the window system handle
  // what is waiting and returns the next menu, gadget or close event, or
  // EventKind::None. WaitEvent blocks until an event arrives or limitMs
  // passes (limitMs < 0: no limit).
  virtual WindowEvent TakePendingEvent() = 0;
  virtual WindowEvent WaitEvent(int limitMs) = 0;

  virtual void Beep(int frequencyHz, int durationMs) = 0;

  // The window's title; windows without one ignore it.
  virtual void SetTitle(const std::string& /*title*/) {}

  // The Simulate panel beside the window, which shows the pin simulation the
  // commands hold: open it, or bring it to the front when it is open.
  // Windows without one ignore it.
  virtual void OpenPinPanel() {}
  // The held simulation was made anew (another map was loaded): the open
  // panel shows it from the start.
  virtual void RefreshPinPanel() {}
};

// The window in use; never null once the program or a test has installed one.
Window& TheWindow();
void InstallWindow(Window* window);
