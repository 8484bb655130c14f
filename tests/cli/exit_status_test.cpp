// quelvox-cli's exit statuses: every command against each failure that
// applies to it (a missing or unreadable input, a map of no GAL's size, no
// box, a chip of another type, an output that cannot be written, an output
// that is an input) exits 1 with a line naming the cause, closes at most once
// and leaves every file as it was; every success exits 0 and touches only its
// own output.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/cli/run_program.h"
#include "tests/fuses/fuse_test_files.h"

namespace {

namespace fs = std::filesystem;

const std::string Cli = std::string(QUELVOX_BINARY_DIR) + "/quelvox-cli";

// The folder a row runs in (its current folder too, so that compile finds
// vDosPlus/ there and never prepares the user's work folder).
void LayOut(const ScratchDir& dir) {
  const std::string gal22v10 = ReadBytes(JedecDataDir() + "/galette_GAL22V10_arsp.jed");
  WriteBytes(dir / "good.jed", gal22v10);
  WriteBytes(dir / "chip.jed", gal22v10);  // the simulated chip's file
  WriteBytes(dir / "v8.jed", ReadBytes(JedecDataDir() + "/galette_GAL16V8_reg.jed"));
  // Simulated chips that the maps above change: a GAL16V8 and a GAL22V10.
  WriteBytes(dir / "chip8.jed", ReadBytes(JedecDataDir() + "/galette_GAL16V8_tri.jed"));
  WriteBytes(dir / "other.jed", ReadBytes(JedecDataDir() + "/galette_GAL22V10_invertedreg.jed"));
  WriteBytes(dir / "pal.jed",
             ReadBytes(std::string(QUELVOX_SOURCE_DIR) + "/tests/logic/pal_pairs/pal20r6_3.jed"));
  WriteBytes(dir / "f100.jed", "\x02*QF100*L0 " + std::string(100, '0') + "*\x03");  // no GAL has 100 fuses
  for (const char* name : {"locked.jed", "locked.abl"}) {
    WriteBytes(dir / name, gal22v10);
    fs::permissions(dir / name, fs::perms::none);
  }
  for (const char* name : {"dir.jed", "dir.abl", "vDosPlus"}) fs::create_directory(dir / name);
  fs::create_symlink("good.jed", dir / "link.jed");
  fs::create_hard_link(dir / "good.jed", dir / "hard.jed");
  // Damaged maps: cut short, and with a checksum that does not match.
  WriteBytes(dir / "cut.jed", gal22v10.substr(0, 900));
  std::string sum = gal22v10;
  const auto checksum = sum.rfind("*C") + 2;
  sum.replace(checksum, 4, sum.substr(checksum, 4) == "0000" ? "1111" : "0000");
  WriteBytes(dir / "sum.jed", sum);
}

// Every entry under folder with what a rewrite changes: mode, inode,
// modification time and bytes.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    struct stat info {};
    lstat(entry.path().c_str(), &info);
    std::string state = std::to_string(info.st_mode) + ' ' + std::to_string(info.st_ino) + ' ' +
                        std::to_string(info.st_mtim.tv_sec) + '.' + std::to_string(info.st_mtim.tv_nsec);
    if (S_ISREG(info.st_mode)) state += '\n' + ReadBytes(entry.path().string());
    entries[fs::relative(entry.path(), folder).string()] = state;
  }
  return entries;
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

struct Row {
  std::vector<std::string> Args;  // "@/" stands for the row's folder
  std::string Cause;              // text of the line that says why it failed, "@/" too; "" for a success
  std::string Output = "";        // the file a success writes, the only one it may create or change
};

const std::string Missing = "Can't access file";
const std::string NoGal = "100 fuses don't match any GAL";
const std::string Same = "is the same file as";
const std::string NoBox = "Hardware not present!\n@/no-such-port: no such port";
const std::string OtherChip =
    "The fuse map is for a GAL22V10 (5892 fuses), the programmer holds a GAL16V8 (2194 fuses)";
const std::string Chip = "sim:@/chip.jed";

// Rows with an input named @/missing.* come back with a folder (@/dir.*)
// and, where permissions stop the process, an unreadable file (@/locked.*)
// in its place.
const std::vector<Row> InputRows{
    {{"open", "@/missing.jed"}, Missing},
    {{"info", "@/missing.jed"}, Missing},
    {{"equations", "@/missing.jed"}, Missing},
    {{"simulate", "@/missing.jed"}, Missing},
    {{"compile", "@/missing.abl"}, "ERROR: Can't open ABEL design file!"},
    {{"save", "@/missing.jed", "@/new.jed"}, Missing},
    {{"set-ues", "@/missing.jed", "X", "@/new.jed"}, Missing},
    {{"export-abel", "@/missing.jed", "@/new.abl"}, Missing},
    {{"convert-pal", "@/missing.jed", "P20R6", "@/new.jed"}, Missing},
    {{"verify", "@/missing.jed", "--port", Chip}, Missing},
    {{"program", "@/missing.jed", "--port", Chip}, Missing},
    {{"identify", "--port", "sim:@/missing.jed"}, "quelvox-cli: no chip can be made from @/missing.jed"},
    {{"read", "@/new.jed", "--port", "sim:@/missing.jed"},
     "quelvox-cli: no chip can be made from @/missing.jed"},
    {{"verify", "@/good.jed", "--port", "sim:@/missing.jed,keep"},
     "quelvox-cli: no chip can be made from @/missing.jed"},
    {{"erase", "--port", "sim:@/missing.jed,keep"}, "quelvox-cli: no chip can be made from @/missing.jed"},
};

const std::vector<Row> OtherRows{
    // A map of no GAL's size.
    {{"open", "@/f100.jed"}, NoGal},
    {{"info", "@/f100.jed"}, NoGal},
    {{"equations", "@/f100.jed"}, NoGal},
    {{"simulate", "@/f100.jed"}, NoGal},
    {{"simulate", "@/good.jed"}, "good.jed holds no test vectors (V fields) to run"},
    {{"simulate", "@/good.jed", "--vectors", "@/missing.tv"}, Missing},
    {{"simulate", "@/good.jed", "--vectors", "@/dir.abl"}, Missing},
    {{"save", "@/f100.jed", "@/new.jed"}, NoGal},
    {{"set-ues", "@/f100.jed", "X", "@/new.jed"}, NoGal},
    {{"export-abel", "@/f100.jed", "@/new.abl"}, NoGal},
    {{"convert-pal", "@/f100.jed", "P20R6", "@/new.jed"},
     "100 fuses: no PAL20R6 map (a PAL20R6 map has 2560)"},
    {{"verify", "@/f100.jed", "--port", Chip}, NoGal},
    {{"program", "@/f100.jed", "--port", Chip}, NoGal},
    {{"identify", "--port", "sim:@/f100.jed"}, "quelvox-cli: no chip can be made from @/f100.jed"},
    // No box on the port.
    {{"identify", "--port", "@/no-such-port"}, NoBox},
    {{"read", "@/new.jed", "--port", "@/no-such-port"}, NoBox},
    {{"verify", "@/good.jed", "--port", "@/no-such-port"}, NoBox},
    {{"erase", "--port", "@/no-such-port"}, NoBox},
    {{"erase", "--all", "--port", "@/no-such-port"}, NoBox},
    {{"program", "@/good.jed", "--port", "@/no-such-port"}, NoBox},
    // A chip of another type, kept: its file stays as it was.
    {{"verify", "@/good.jed", "--port", "sim:@/chip8.jed,keep"}, OtherChip},
    {{"program", "@/good.jed", "--port", "sim:@/chip8.jed,keep"}, OtherChip},
    {{"program", "@/good.jed", "--security", "--force", "--port", "sim:@/chip8.jed,GAL16V8,keep"}, OtherChip},
    // A chip type that does not fit its file, or a family name of more than one type.
    {{"identify", "--port", "sim:@/chip.jed,GAL16V8"},
     "quelvox-cli: chip.jed holds 5892 fuses; a GAL16V8 has 2194"},
    {{"program", "@/v8.jed", "--port", "sim:@/chip8.jed,ATF22V10C,keep"},
     "quelvox-cli: chip8.jed holds 2194 fuses; an ATF22V10C has 5892"},
    {{"erase", "--port", "sim:@/chip.jed,ATF22V10"},
     "quelvox-cli: ATF22V10 names more than one chip type: ATF22V10B or ATF22V10C"},
    // An output that cannot be written: its folder is missing, or a folder is in the way.
    {{"save", "@/good.jed", "@/none/new.jed"}, Missing},
    {{"save", "@/good.jed", "@/dir.jed"}, Missing},
    {{"save", "@/good.jed", "@/dir"}, Missing},  // Save As adds .jed
    {{"set-ues", "@/good.jed", "X", "@/none/new.jed"}, Missing},
    {{"set-ues", "@/good.jed", "X", "@/dir.jed"}, Missing},
    {{"export-abel", "@/good.jed", "@/none/new.abl"}, Missing},
    {{"export-abel", "@/good.jed", "@/dir"}, Missing},  // export adds .abl
    {{"convert-pal", "@/pal.jed", "P20R6", "@/none/new.jed"}, Missing},
    {{"convert-pal", "@/pal.jed", "P20R6", "@/dir.jed"}, Missing},
    {{"read", "@/none/new.jed", "--port", Chip},
     "quelvox-cli: cannot save the read: the folder @/none does not exist"},
    {{"read", "@/dir.jed", "--port", Chip}, "quelvox-cli: cannot save the read: @/dir.jed is a folder"},
    {{"read", "@/dir", "--port", Chip}, "quelvox-cli: cannot save the read: @/dir.jed is a folder"},
    // An output that is an input, however it is spelled.
    {{"save", "@/good.jed", "@/./good.jed"}, Same},
    {{"save", "@/good.jed", "@/link.jed"}, Same},
    {{"save", "@/good.jed", "@/hard.jed"}, Same},
    {{"save", "@/good.jed", "@/good"}, Same},
    {{"set-ues", "@/good.jed", "X", "@/dir.jed/../good.jed"}, Same},
    {{"set-ues", "@/link.jed", "X", "@/good.jed"}, Same},
    {{"export-abel", "@/good.jed", "@/hard.jed"}, Same},
    {{"convert-pal", "@/pal.jed", "P20R6", "@/./pal.jed"}, Same},
    {{"read", "@/chip.jed", "--port", Chip}, Same},
    {{"read", "@/link.jed", "--port", "sim:@/good.jed,keep"}, Same},
    {{"verify", "@/good.jed", "--port", "sim:@/hard.jed,keep"}, Same},
    {{"program", "@/v8.jed", "--port", "sim:@/./v8.jed,keep"}, Same},
    // Successes.
    {{"open", "@/good.jed"}, ""},
    {{"info", "@/good.jed"}, ""},
    {{"equations", "@/good.jed"}, ""},
    {{"save", "@/good.jed", "@/new.jed"}, "", "new.jed"},
    {{"save", "@/good.jed", "@/v8.jed"}, "", "v8.jed"},
    {{"save", "@/good.jed", "@/new"}, "", "new.jed"},
    {{"set-ues", "@/good.jed", "X", "@/new.jed"}, "", "new.jed"},
    {{"export-abel", "@/good.jed", "@/new.abl"}, "", "new.abl"},
    {{"export-abel", "@/good.jed", "@/good"}, "", "good.abl"},
    {{"convert-pal", "@/pal.jed", "P20R6", "@/new.jed"}, "", "new.jed"},
    {{"identify", "--port", Chip}, ""},
    {{"read", "@/new.jed", "--port", Chip}, "", "new.jed"},
    {{"read", "@/new.jed", "--port", "sim:@/chip.jed,keep"}, "", "new.jed"},  // the chip is not changed
    {{"verify", "@/good.jed", "--port", "sim:@/chip.jed,keep"}, ""},
    {{"verify", "@/good.jed", "--port", "sim:@/good.jed"}, ""},
    {{"erase", "--port", Chip}, ""},
    {{"erase", "--all", "--port", "sim:@/chip.jed,keep"}, "", "chip.jed"},
    {{"program", "@/good.jed", "--port", "sim:@/good.jed"}, ""},
    {{"program", "@/v8.jed", "--port", "sim:@/chip8.jed,GAL16V8,keep"}, "", "chip8.jed"},
    {{"program", "@/v8.jed", "--force", "--port", "sim:@/chip8.jed,gal16v8,keep"}, "", "chip8.jed"},
    {{"program", "@/good.jed", "--port", "sim:@/other.jed,ATF22V10B,keep"}, "", "other.jed"},
};

// The entries added, removed or changed from before to after.
std::vector<std::string> Changed(const std::map<std::string, std::string>& before,
                                 const std::map<std::string, std::string>& after) {
  std::vector<std::string> names;
  for (const auto& [name, state] : after) {
    if (!before.count(name) || before.at(name) != state) names.push_back(name);
  }
  for (const auto& [name, state] : before) {
    if (!after.count(name)) names.push_back(name);
  }
  return names;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

std::vector<Row> AllRows() {
  std::vector<std::string> stands{"@/dir."};
  if (geteuid() != 0) stands.push_back("@/locked.");  // root reads any file
  std::vector<Row> rows;
  for (const Row& row : InputRows) {
    rows.push_back(row);
    for (const std::string& stand : stands) {
      Row other = row;
      other.Cause = Replaced(row.Cause, "@/missing.", stand);
      for (std::string& arg : other.Args) arg = Replaced(arg, "@/missing.", stand);
      rows.push_back(other);
    }
  }
  rows.insert(rows.end(), OtherRows.begin(), OtherRows.end());
  return rows;
}

// Runs the row in a folder of its own. status 0: a success, which may warn
// with a line holding row.Cause; otherwise a failure naming its cause.
void CheckRow(const Row& row, int status) {
  ScratchDir dir;
  LayOut(dir);
  std::vector<std::string> args;
  for (const std::string& arg : row.Args) args.push_back(Replaced(arg, "@/", dir / ""));
  const std::string what = testing::PrintToString(row.Args);
  const auto before = Snapshot(dir.path());
  const ProgramRun run = RunProgram(Cli, args, RLIM_INFINITY, dir.path());
  const std::vector<std::string> changed = Changed(before, Snapshot(dir.path()));

  EXPECT_EQ(run.Status, status) << what << run.Out << run.Err;
  const std::string log = run.Out.substr(0, run.Out.find("--- fuse map ---"));
  // A command that began closes once; one refused before it began writes no log.
  const std::size_t closings = Count(log, ">>> done <<<\n") + Count(log, "-- aborted --\n");
  EXPECT_EQ(closings, log == "--- log ---\n" ? 0u : 1u) << what << run.Out;
  const std::string cause = Replaced(row.Cause, "@/", dir / "");
  EXPECT_NE((run.Out + run.Err).find(cause), std::string::npos) << what << "\nwants: " << cause << '\n'
                                                                << run.Out << run.Err;
  if (status == 0) {
    EXPECT_EQ(run.Err, "") << what;
    EXPECT_EQ(changed, row.Output.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.Output})
        << what;
    return;
  }
  // stderr holds at most the one line; a cause told there stopped the command before the box.
  EXPECT_LE(Count(run.Err, "\n"), 1u) << what << run.Err;
  if (run.Err.find(cause) != std::string::npos) {
    EXPECT_EQ(log.find("Device:"), std::string::npos) << what;
  }
  EXPECT_EQ(changed, std::vector<std::string>{}) << what;
}

TEST(CliExitStatus, EveryCommandFailsWithItsCauseAndLeavesTheFilesAlone) {
  for (const Row& row : AllRows()) CheckRow(row, row.Cause.empty() ? 0 : 1);
}

// A map loaded from a damaged file (cut.jed: cut short; sum.jed: a wrong
// checksum) is programmed only with --force, after an ERROR! line that says
// why it is not; the other commands go on after a warning.
TEST(CliExitStatus, DamagedMapsAreProgrammedOnlyWithForce) {
  for (const char* name : {"cut.jed", "sum.jed"}) {
    const std::string damaged = std::string("@/") + name;
    const std::string said = "WARNING!\nThe fuse map was loaded from a damaged file (";
    const std::string refused = "ERROR!\nThe fuse map was loaded from a damaged file (";
    const std::string forced = "): programmed anyway, as asked";
    const struct {
      Row Run;
      int Status;
    } rows[] = {
        {{{"program", damaged, "--port", "sim:@/other.jed,keep"}, refused}, 1},
        {{{"program", damaged, "--security", "--port", "sim:@/other.jed,keep"}, refused}, 1},
        {{{"program", damaged, "--force", "--port", "sim:@/other.jed,keep"}, forced, "other.jed"}, 0},
        {{{"verify", damaged, "--port", "sim:" + damaged}, said}, 0},
        {{{"save", damaged, "@/new.jed"}, said, "new.jed"}, 0},
        {{{"set-ues", damaged, "X", "@/new.jed"}, said, "new.jed"}, 0},
        {{{"export-abel", damaged, "@/new.abl"}, said, "new.abl"}, 0},
    };
    for (const auto& row : rows) CheckRow(row.Run, row.Status);
    // Refused, program never starts.
    ScratchDir dir;
    LayOut(dir);
    const ProgramRun run = RunProgram(
        Cli, {"program", Replaced(damaged, "@/", dir / ""), "--port", "sim:" + (dir / "chip.jed")});
    EXPECT_EQ(run.Out.find("->program"), std::string::npos) << run.Out;
  }
}

}  // namespace
