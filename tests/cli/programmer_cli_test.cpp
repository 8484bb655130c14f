// quelvox-cli's programmer commands against the simulated box: a chip made
// from a real file is identified, read back into the same file, verified,
// erased and programmed (kept in its file with keep); bad options end as a
// user would expect; set-ues writes a new user signature. The failures of
// every command are in exit_status_test.cpp.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cli/run_program.h"
#include "tests/fuses/fuse_test_files.h"

namespace {

const std::string Cli = std::string(QUELVOX_BINARY_DIR) + "/quelvox-cli";

ProgramRun RunCli(const std::vector<std::string>& args) {
  return RunProgram(Cli, args, RLIM_INFINITY);
}

std::string File(const std::string& name) {
  return JedecDataDir() + "/" + name;
}
std::string Sim(const std::string& name) {
  return "sim:" + File(name);
}

const std::string Gal16V8Lines =
    "Device: GAL16V8 [LATTICE]\n"
    "Device Input & I/O Pull-ups: NO\n"
    "Vpp Supply: \t15.8V (prog.)\t\t12.0V (read)\n"
    "Pulse Timing: \t100ms (prog.)\t\t100ms (erase)\n"
    "PES: 00 00 00 A1 00 00 00 00 \n";

TEST(CliProgrammer, IdentifyTheSimulatedChip) {
  const ProgramRun run = RunCli({"identify", "--port", Sim("galette_GAL16V8_reg.jed")});
  EXPECT_EQ(run.Out, "--- log ---\nSimulated programmer: galette_GAL16V8_reg.jed (GAL16V8)\n" + Gal16V8Lines +
                         ">>> done <<<\n--- fuse map ---\n--- status ---\n\n\n");
  EXPECT_EQ(run.Err, "");
  EXPECT_EQ(run.Status, 0);
}

TEST(CliProgrammer, ReadSavesWhatTheChipHolds) {
  for (const char* name :
       {"galette_GAL16V8_reg.jed", "galette_GAL20V8_tri.jed", "galette_GAL22V10_arsp.jed"}) {
    ScratchDir dir;
    const ProgramRun run = RunCli({"read", dir / "out.jed", "--port", Sim(name)});
    EXPECT_EQ(run.Status, 0) << name;
    EXPECT_NE(run.Out.find("->read\n>>> done <<<\n--- fuse map ---\nL00000 "), std::string::npos) << run.Out;
    std::string written = ReadBytes(dir / "out.jed");
    const auto date = written.find("CREATED DATE: ");
    ASSERT_NE(date, std::string::npos) << name;
    written.replace(date + 14, 20, "01/01/2026  00:00:00");
    EXPECT_EQ(written, ReadBytes(File(name) + ".saved.jed")) << name;
  }
}

TEST(CliProgrammer, VerifyTellsSuccessFromAMismatch) {
  const ProgramRun same =
      RunCli({"verify", File("galette_GAL22V10_arsp.jed"), "--port", Sim("galette_GAL22V10_arsp.jed")});
  EXPECT_NE(same.Out.find("->verify\n*** SUCCESS ***\n>>> done <<<\n"), std::string::npos) << same.Out;
  EXPECT_EQ(same.Status, 0);
  const ProgramRun other = RunCli(
      {"verify", File("galette_GAL22V10_invertedreg.jed"), "--port", Sim("galette_GAL22V10_arsp.jed")});
  EXPECT_NE(other.Out.find("->verify\nERROR!\nVERIFY failed @ fuse #"), std::string::npos) << other.Out;
  EXPECT_NE(other.Out.find(" fuses differ, the first in row "), std::string::npos) << other.Out;
  EXPECT_EQ(other.Status, 1);
  const ProgramRun device =
      RunCli({"verify", File("galette_GAL16V8_reg.jed"), "--port", Sim("galette_GAL22V10_arsp.jed")});
  EXPECT_NE(device.Out.find("ERROR!\nThe fuse map is for a GAL16V8 (2194 fuses), the programmer holds a "
                            "GAL22V10 (5892 fuses)\n>>> done <<<\n"),
            std::string::npos)
      << device.Out;
  EXPECT_EQ(device.Out.find("VERIFY failed"), std::string::npos) << device.Out;
  EXPECT_EQ(device.Status, 1);
}

TEST(CliProgrammer, EraseAndEraseAll) {
  const ProgramRun erase = RunCli({"erase", "--port", Sim("galette_GAL16V8_reg.jed")});
  EXPECT_EQ(erase.Out, "--- log ---\nSimulated programmer: galette_GAL16V8_reg.jed (GAL16V8)\n" +
                           Gal16V8Lines +
                           "GAL16V8 erased\n>>> done <<<\n--- fuse map ---\n--- status ---\n\n\n");
  EXPECT_EQ(erase.Status, 0);
  EXPECT_EQ(erase.Err, "");  // progress only on a terminal
  const ProgramRun atf = RunCli({"erase", "--all", "--port", Sim("galette_GAL16V8_reg.jed") + ",ATF16V8B"});
  EXPECT_NE(atf.Out.find("Device: ATF16V8B [ATMEL]\n"), std::string::npos) << atf.Out;
  EXPECT_NE(atf.Out.find("ATMEL devices do not support this feature\n>>> done <<<\n"), std::string::npos)
      << atf.Out;
  EXPECT_EQ(atf.Status, 1);  // nothing was erased
}

TEST(CliProgrammer, OptionsInTheWrongPlace) {
  const std::vector<std::vector<std::string>> bad{
      {"identify"},
      {"identify", "--port"},
      {"read", "--port", "COM1"},
      {"open", "a.jed", "--port", "COM1"},
      {"verify", "--all", "a.jed", "--port", "COM1"},
      {"erase", "--port", "COM1", "--port", "COM2"},
      {"open", "a.jed", "--security"},
      {"verify", "a.jed", "--security", "--port", "COM1"},
      {"program", "a.jed"},
      {"set-ues", "a.jed", "", ""},
  };
  for (const auto& args : bad) {
    const ProgramRun run = RunCli(args);
    EXPECT_EQ(run.Status, 2) << testing::PrintToString(args);
    EXPECT_EQ(run.Out, "") << testing::PrintToString(args);
  }
}

// The fuse-map block and the status block of a run's output.
std::string MapAndStatus(const std::string& out) {
  return out.substr(out.find("--- fuse map ---"));
}

TEST(CliProgrammer, ProgramKeepsTheChipInItsFileOnlyWhenAsked) {
  ScratchDir dir;
  const std::string design = File("galette_GAL22V10_invertedreg.jed");
  const std::string chipFile = ReadBytes(File("galette_GAL22V10_arsp.jed"));
  WriteBytes(dir / "chip.jed", chipFile);

  const ProgramRun plain = RunCli({"program", design, "--port", "sim:" + (dir / "chip.jed")});
  EXPECT_NE(plain.Out.find("->program\n->verify\n*** SUCCESS ***\n>>> done <<<\n"), std::string::npos)
      << plain.Out;
  EXPECT_EQ(plain.Status, 0);
  EXPECT_EQ(ReadBytes(dir / "chip.jed"), chipFile);  // without keep the file is never written

  const ProgramRun kept =
      RunCli({"program", design, "--port", "sim:" + (dir / "chip.jed") + ",GAL22V10,keep"});
  EXPECT_EQ(kept.Status, 0) << kept.Out << kept.Err;
  EXPECT_EQ(MapAndStatus(RunCli({"open", dir / "chip.jed"}).Out), MapAndStatus(RunCli({"open", design}).Out));
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"chip.jed"});  // no temporary file left
}

TEST(CliProgrammer, ProgramWithSecurityReadProtectsTheChipAfterItsVerify) {
  ScratchDir dir;
  WriteBytes(dir / "chip.jed", ReadBytes(File("galette_GAL16V8_reg.jed")));
  const std::string design = File("galette_GAL16V8_tri.jed");
  const ProgramRun run = RunCli({"program", design, "--security", "--port", "sim:" + (dir / "chip.jed")});
  EXPECT_NE(
      run.Out.find("*** SUCCESS ***\nSecurity fuse set: the chip is now read-protected\n>>> done <<<\n"),
      std::string::npos)
      << run.Out;
  EXPECT_EQ(run.Status, 0);
}

TEST(CliProgrammer, SetUesWritesTheSignatureIntoTheSavedFile) {
  ScratchDir dir;
  const std::string in = File("galette_GAL16V8_reg.jed");
  const ProgramRun set = RunCli({"set-ues", in, "Hi \xC3\xA9", dir / "out.jed"});
  EXPECT_EQ(set.Status, 0) << set.Out;
  EXPECT_NE(RunCli({"open", dir / "out.jed"}).Out.find("--- status ---\nGAL16V8\nUES: Hi \xC3\xA9    \n"),
            std::string::npos);
  const ProgramRun cleared = RunCli({"set-ues", in, "", dir / "empty.jed"});
  EXPECT_EQ(cleared.Status, 0) << cleared.Err;
  EXPECT_NE(RunCli({"open", dir / "empty.jed"}).Out.find("UES:         \n"), std::string::npos);
  const ProgramRun tooLong = RunCli({"set-ues", in, "123456789", dir / "long.jed"});
  EXPECT_EQ(tooLong.Status, 1);
  EXPECT_NE(tooLong.Out.find("The user signature takes at most 8 characters\n"), std::string::npos);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"empty.jed", "out.jed"}));
}

}  // namespace
