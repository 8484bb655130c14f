// What a command came to, as a value: the dispatcher picks its closing line
// from it and quelvox-cli its exit status. Nobody reads it back from the log.
#pragma once

#include <string>

enum class CommandStatus {
  Done,       // the command did what was asked
  Failed,     // it could not (What says what failed)
  Cancelled,  // the user said no, or chose no file
  Aborted,    // a failed exchange with the programmer box stopped it
};

struct CommandResult {
  CommandStatus Status = CommandStatus::Done;
  std::string What;  // empty when done

  bool IsDone() const { return Status == CommandStatus::Done; }
};

inline CommandResult CommandDone() {
  return {};
}
inline CommandResult CommandFailed(std::string what) {
  return {CommandStatus::Failed, std::move(what)};
}
inline CommandResult CommandCancelled(std::string what) {
  return {CommandStatus::Cancelled, std::move(what)};
}
inline CommandResult CommandAborted(std::string what) {
  return {CommandStatus::Aborted, std::move(what)};
}
