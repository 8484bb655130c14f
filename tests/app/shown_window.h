// The window tests' fixture: the real main window, shown and installed as the
// program's window on a fresh program state, and both undone after the test.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "app/main_window.h"
#include "commands/main_loop.h"

class ShownWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    InstallWindow(&window_);
    window_.show();
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  }
  void TearDown() override {
    InstallWindow(nullptr);
    ResetProgramState();
  }
  MainWindow window_;
};
