// Sets an environment variable for a test and puts its old value back
// afterwards, for code that reads XDG_DATA_HOME, PATH or TZ.
#pragma once

#include <cstdlib>
#include <string>

class EnvironmentScope {
 public:
  EnvironmentScope(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~EnvironmentScope() {
    if (had_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  EnvironmentScope(const EnvironmentScope&) = delete;
  EnvironmentScope& operator=(const EnvironmentScope&) = delete;

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};
