// The file dialogs, the replace question and the remembered folders.
#include "base/requesters.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/paths.h"
#include "tests/support/recording_window.h"

namespace fs = std::filesystem;

namespace {

class Requesters : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quelvox-requesters-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    base_ = dir_.string() + "/";
  }
  void TearDown() override { fs::remove_all(dir_); }
  void Touch(const std::string& name) { std::ofstream(base_ + name) << "x"; }

  TestWindowScope scope_;
  RecordingWindow& w_ = scope_.window();
  fs::path dir_;
  std::string base_;
};

TEST_F(Requesters, OpenShowsTitleFiltersAndStartsInTheCurrentDirectory) {
  w_.AnswerDialog(base_ + "a.jed");
  EXPECT_EQ(AskFileName(0, FilterAbel, "ignored"), base_ + "a.jed");
  ASSERT_EQ(w_.Dialogs.size(), 1u);
  const FileDialogRequest& shown = w_.Dialogs[0];
  EXPECT_FALSE(shown.ForSave);
  EXPECT_EQ(shown.Title, "Open");
  EXPECT_EQ(shown.InitialPath, CurrentDirectoryWithSeparator());
  EXPECT_EQ(shown.Filters, "JEDEC file (*.jed)|*.jed|ABEL file (*.abl)|*.abl|all files (*.*)|*.*");
  EXPECT_EQ(shown.FilterIndex, FilterAbel);
  EXPECT_TRUE(w_.LogLines.empty());
}

TEST_F(Requesters, OpenAndSaveRememberTheirDirectoriesSeparately) {
  w_.AnswerDialog("C:\\p\\design.jed");
  AskFileName(0, FilterJedec, "");
  w_.AnswerDialog("/q/r/other.abl");
  AskFileName(0, FilterAbel, "");
  w_.CancelDialog();
  AskFileName(1, FilterJedec, "");
  w_.CancelDialog();  // a cancelled open keeps the remembered directory
  AskFileName(0, FilterJedec, "");
  w_.AnswerDialog(base_ + "saved.jed");
  AskFileName(1, FilterJedec, "proposal");
  w_.CancelDialog();
  AskFileName(1, FilterJedec, "");

  ASSERT_EQ(w_.Dialogs.size(), 6u);
  EXPECT_EQ(w_.Dialogs[1].InitialPath, "C:\\p\\");
  EXPECT_EQ(w_.Dialogs[2].InitialPath, CurrentDirectoryWithSeparator());
  EXPECT_EQ(w_.Dialogs[3].InitialPath, "/q/r/");
  EXPECT_EQ(w_.Dialogs[4].InitialPath, CurrentDirectoryWithSeparator() + "proposal");
  EXPECT_EQ(w_.Dialogs[5].InitialPath, base_);
  EXPECT_EQ(LastOpenDirectory, "/q/r/");
  EXPECT_EQ(LastSaveDirectory, base_);
}

struct ExtensionCase {
  std::string Name;
  int FilterAtClose;
  std::string Expected;
};

TEST_F(Requesters, JedExtensionIsAddedOnlyForTheJedecFilterAndANameWithoutExtension) {
  const ExtensionCase cases[] = {
      {"test", FilterJedec, "test.jed"},   {"test", FilterAll, "test"},
      {"test", FilterAbel, "test"},        {"test.txt", FilterJedec, "test.txt"},
      {"test.txt", FilterAll, "test.txt"}, {"dir.d/test", FilterJedec, "dir.d/test.jed"},
  };
  fs::create_directories(dir_ / "dir.d");
  for (const auto& c : cases) {
    w_.AnswerDialog(base_ + c.Name, c.FilterAtClose);
    EXPECT_EQ(AskFileName(1, FilterJedec, ""), base_ + c.Expected) << c.Name;
    EXPECT_EQ(w_.Dialogs.back().Title, "Save as");
    EXPECT_TRUE(w_.Dialogs.back().ForSave);
  }
  EXPECT_TRUE(w_.Boxes.empty());
}

TEST_F(Requesters, ReplacingAskedWithNoAsDefaultAndNoReopensTheDialog) {
  Touch("a.jed");
  w_.AnswerDialog(base_ + "a.jed");
  w_.AnswerBox(BoxAnswer::No);
  w_.AnswerDialog(base_ + "a", FilterJedec);  // becomes a.jed again
  w_.AnswerBox(BoxAnswer::Closed);
  w_.AnswerDialog(base_ + "a.jed");
  w_.AnswerBox(BoxAnswer::Yes);
  EXPECT_EQ(AskFileName(1, FilterJedec, "name"), base_ + "a.jed");

  ASSERT_EQ(w_.Boxes.size(), 3u);
  for (const ShownBox& box : w_.Boxes) {
    EXPECT_EQ(box.Title, "File already exists");
    EXPECT_EQ(box.Text, "Replace \"a.jed\"?");
    EXPECT_EQ(box.Buttons, BoxButtons::YesNo);
    EXPECT_EQ(box.Icon, BoxIcon::Warning);
    EXPECT_TRUE(box.DefaultNo);
  }
  ASSERT_EQ(w_.Dialogs.size(), 3u);
  for (const auto& shown : w_.Dialogs) EXPECT_EQ(shown.InitialPath, CurrentDirectoryWithSeparator() + "name");
  EXPECT_TRUE(w_.LogLines.empty());
}

TEST_F(Requesters, ADirectoryOfThatNameCountsAsExisting) {
  fs::create_directories(dir_ / "sub.jed");
  w_.AnswerDialog(base_ + "sub.jed");
  w_.AnswerBox(BoxAnswer::Yes);
  EXPECT_EQ(AskFileName(1, FilterJedec, ""), base_ + "sub.jed");
  EXPECT_EQ(w_.Boxes.size(), 1u);
}

TEST_F(Requesters, CancellingTheSaveDialogLogsAndReturnsEmpty) {
  EXPECT_EQ(AskFileName(1, FilterJedec, ""), "");
  EXPECT_EQ(w_.LogLines, std::vector<std::string>{"Save canceled"});

  Touch("b.jed");
  w_.LogLines.clear();
  w_.AnswerDialog(base_ + "b.jed");
  w_.AnswerBox(BoxAnswer::No);
  w_.CancelDialog();
  EXPECT_EQ(AskFileName(1, FilterJedec, ""), "");
  EXPECT_EQ(w_.LogLines, std::vector<std::string>{"Save canceled"});
  EXPECT_TRUE(LastSaveDirectory.empty());
}

TEST_F(Requesters, OtherModesShowNothing) {
  for (int mode : {2, -1, 255}) EXPECT_EQ(AskFileName(mode, FilterJedec, "x"), "");
  EXPECT_TRUE(w_.Dialogs.empty());
  EXPECT_TRUE(w_.LogLines.empty());
}

}  // namespace
