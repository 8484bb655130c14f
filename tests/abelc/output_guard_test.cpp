// The files beside a design, as the abelc program leaves them: which files a
// compile replaces, removes or keeps aside, and what a failed write leaves.
// Every case runs the built program and looks at the folder afterwards.
#include "abelc/output_guard.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "abelc/compile.h"
#include "tests/cli/run_program.h"
#include "tests/fuses/fuse_test_files.h"

namespace {

namespace fs = std::filesystem;

const std::string kGoodDesign =
    "module u3\n d device 'P16V8';\n a, b pin 2, 3;\n y pin 19;\nequations\n y = a & b;\n"
    "test_vectors ([a, b] -> y)\n [1, 1] -> 1;\nend u3\n";
const std::string kBadDesign =
    "module u3\n d device 'P16V8';\n a pin 2;\n y pin 19;\nequations\n y = zz;\nend u3\n";

// Files as an ABEL compiler leaves them (their header lines), and files of other makers.
const std::string kOurJed = "\x02Quelvox ABEL compiler 1.0  JEDEC file for: P16V8S\r\n*\r\nQF2194*\r\n\x03";
const std::string kOurOut = "Quelvox ABEL compiler 1.0\r\nModule: 'u3'\r\n0 errors, 0 warnings\r\n";
const std::string kOurSim =
    "Simulate Quelvox ABEL compiler 1.0  Date: now\r\nFuse file: 'u3.jed'\r\n"
    "\x02Quelvox ABEL compiler 1.0  JEDEC file for: P16V8S\r\n";
const std::string kOurDoc =
    "\r\n\r\n\r\n Page 1\r\nQuelvox ABEL compiler 1.0  -  Device Utilization Chart\r\n";
const std::string kOtherMap = "made by another tool*\r\nQF2194*F0*L0000 1*\r\n";
const std::string kNotes = "notes on the board\n";

// What a file of the folder must be afterwards: these bytes, or (kOurs) a
// file our compiler wrote.
const std::string kOurs = "<written by abelc>";
const std::string kDirectory = "<a folder>";

std::string ProgramPath() {
  return std::string(QUELVOX_BINARY_DIR) + "/bin/abelc";
}

void Lay(const ScratchDir& dir, const std::map<std::string, std::string>& files) {
  for (const auto& [name, text] : files) {
    if (text == kDirectory) {
      fs::create_directories(dir / name);
    } else {
      fs::create_directories(fs::path(dir / name).parent_path());
      WriteBytes(dir / name, text);
    }
  }
}

// Every file under the folder and what it holds; a file that our compiler
// wrote during the case (no file laid before holds its bytes) shown as kOurs.
std::map<std::string, std::string> Found(const ScratchDir& dir,
                                         const std::map<std::string, std::string>& before) {
  std::map<std::string, std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
    const std::string name = fs::relative(entry.path(), dir.path()).string();
    if (entry.is_directory()) {
      if (fs::is_empty(entry.path())) found[name] = kDirectory;
      continue;
    }
    const std::string text = ReadBytes(entry.path().string());
    const bool laid =
        std::any_of(before.begin(), before.end(), [&](const auto& f) { return f.second == text; });
    found[name] = !laid && abelc::WrittenByAbelCompiler(entry.path().string()) ? kOurs : text;
  }
  return found;
}

std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find('\n'));
}

TEST(OutputFiles, ReplacedRemovedOrKeptAsideAndWrittenAllOrNone) {
  const bool root = geteuid() == 0;
  const struct {
    const char* Case;
    std::map<std::string, std::string> Before;
    std::vector<std::string> Args;  // "{dir}" stands for the folder
    int Status;
    std::string FirstErrorLine;  // the first line on standard error, "{dir}" for the folder
    std::map<std::string, std::string> After;
    rlim_t FileSizeLimit = RLIM_INFINITY;
    bool ReadOnly = false;
  } cases[] = {
      {"a fuse map given as the design",
       {{"victim.jed", kOtherMap}},
       {"{dir}/victim.jed"},
       2,
       "{dir}/victim.jed: error: the compiler writes .jed files; give it the design (DESIGN.abl), not one of "
       "its outputs",
       {{"victim.jed", kOtherMap}}},
      {"an output's name in capitals",
       {{"U3.OUT", kNotes}},
       {"{dir}/U3.OUT"},
       2,
       "{dir}/U3.OUT: error: the compiler writes .OUT files; give it the design (DESIGN.abl), not one of its "
       "outputs",
       {{"U3.OUT", kNotes}}},
      {"a design that cannot be read",
       {{"u3.jed", kOtherMap}, {"u3.out", kOurOut}, {"u3.doc", kOurDoc}},
       {"{dir}/u3.abl"},
       1,
       "{dir}/u3.abl: error: cannot read the file",
       {{"u3.jed", kOtherMap}, {"u3.out", kOurOut}, {"u3.doc", kOurDoc}}},
      {"our files replaced, another's kept aside beside them",
       {{"u3.abl", kGoodDesign}, {"u3.jed", kOtherMap}, {"u3.jed~", kNotes}, {"u3.doc", kOurDoc}},
       {"{dir}/u3.abl"},
       0,
       "{dir}/u3.jed: warning: not written by an ABEL compiler; kept as {dir}/u3.jed~2",
       {{"u3.abl", kGoodDesign},
        {"u3.jed", kOurs},
        {"u3.jed~", kNotes},
        {"u3.jed~2", kOtherMap},
        {"u3.doc", kOurs},
        {"u3.out", kOurs},
        {"u3.sim", kOurs}}},
      {"errors: our stale files go, another's map is kept aside",
       {{"u3.abl", kBadDesign},
        {"u3.jed", kOtherMap},
        {"u3.sim", kOurSim},
        {"u3.doc", kOurDoc},
        {"u3.out", kNotes}},
       {"{dir}/u3.abl"},
       1,
       "{dir}/u3.out: warning: not written by an ABEL compiler; kept as {dir}/u3.out~",
       {{"u3.abl", kBadDesign}, {"u3.out", kOurs}, {"u3.out~", kNotes}, {"u3.jed~", kOtherMap}}},
      {"into an output folder, the map beside the design untouched",
       {{"u3.abl", kGoodDesign}, {"u3.jed", kOtherMap}, {"out/u3.jed", kOurJed}},
       {"--output-folder", "{dir}/out", "{dir}/u3.abl"},
       0,
       "",
       {{"u3.abl", kGoodDesign},
        {"u3.jed", kOtherMap},
        {"out/u3.jed", kOurs},
        {"out/u3.out", kOurs},
        {"out/u3.doc", kOurs},
        {"out/u3.sim", kOurs}}},
      {"an output folder that is not there",
       {{"u3.abl", kGoodDesign}},
       {"{dir}/u3.abl", "-o", "{dir}/none"},
       1,
       "{dir}/none/u3.out: error: cannot write the file: No such file or directory",
       {{"u3.abl", kGoodDesign}}},
      {"a folder in the way of the map",
       {{"u3.abl", kGoodDesign}, {"u3.jed", kDirectory}, {"u3.out", kNotes}, {"u3.sim", kOurSim}},
       {"{dir}/u3.abl"},
       1,
       "{dir}/u3.jed: error: cannot write the file: Is a directory",
       {{"u3.abl", kGoodDesign}, {"u3.jed", kDirectory}, {"u3.out", kNotes}, {"u3.sim", kOurSim}}},
      {"a full disk",
       {{"u3.abl", kGoodDesign}, {"u3.jed", kOurJed}, {"u3.out", kNotes}},
       {"{dir}/u3.abl"},
       1,
       "{dir}/u3.doc: error: cannot write the file: File too large",
       {{"u3.abl", kGoodDesign}, {"u3.jed", kOurJed}, {"u3.out", kNotes}},
       2048},
      {"a read-only folder",
       {{"u3.abl", kGoodDesign}, {"u3.jed", kOurJed}},
       {"{dir}/u3.abl"},
       1,
       "{dir}/u3.out: error: cannot write the file: Permission denied",
       {{"u3.abl", kGoodDesign}, {"u3.jed", kOurJed}},
       RLIM_INFINITY,
       true},
  };
  for (const auto& c : cases) {
    if (c.ReadOnly && root) {
      std::cout << "running as root, where a read-only folder does not stop writes: \"" << c.Case
                << "\" skipped\n";
      continue;
    }
    ScratchDir dir;
    Lay(dir, c.Before);
    if (c.ReadOnly) fs::permissions(dir.path(), fs::perms::owner_write, fs::perm_options::remove);
    const auto in_dir = [&](std::string text) {
      for (std::size_t at; (at = text.find("{dir}")) != std::string::npos;) text.replace(at, 5, dir.path());
      return text;
    };
    std::vector<std::string> args;
    for (const std::string& arg : c.Args) args.push_back(in_dir(arg));
    const ProgramRun run = RunProgram(ProgramPath(), args, c.FileSizeLimit);
    EXPECT_EQ(c.Status, run.Status) << c.Case << "\n" << run.Err;
    EXPECT_EQ(in_dir(c.FirstErrorLine), FirstLine(run.Err)) << c.Case;
    if (c.Status == 1) {  // a failed compile never tells "0 errors"
      EXPECT_EQ(std::string::npos, (run.Out + run.Err).find("0 errors")) << c.Case << "\n" << run.Out;
    }
    if (c.ReadOnly) fs::permissions(dir.path(), fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(c.After, Found(dir, c.Before)) << c.Case;
  }
}

// Our own outputs (the verdict file comes from a work copy with a side
// file), every file of the classic compiler, and files of other makers under
// the outputs' names.
TEST(OutputFiles, TellsAnAbelCompilersFilesFromOthers) {
  ScratchDir dir;
  WriteBytes(dir / "abelcpl.abl", kGoodDesign);
  WriteBytes(dir / "abelcpl.src", "design=" + (dir / "u3.abl") + "\n");
  std::ostringstream out, err;
  ASSERT_EQ(0, abelc::RunCommandLine({dir / "abelcpl.abl"}, out, err)) << err.str();
  std::vector<std::pair<std::string, bool>> files;
  for (const char* ext : {".out", ".jed", ".doc", ".sim", ".sum"})
    files.push_back({dir / ("abelcpl" + std::string(ext)), true});
  const std::string classic = std::string(QUELVOX_TESTDATA_DIR) + "/abel/classic";
  for (const auto& entry : fs::directory_iterator(classic)) {
    if (abelc::IsOutputExtension(entry.path().extension().string()))
      files.push_back({entry.path().string(), true});
  }
  ASSERT_GE(files.size(), 90u);
  for (const std::string& name : RealJedecFiles()) files.push_back({JedecDataDir() + "/" + name, false});
  // Another's file under each name, and our files under names they do not fit.
  const std::pair<const char*, std::string> others[] = {
      {"notes.out", kNotes},
      {"abel_notes.out", "Notes\nThe ABEL design of the decoder\n"},
      {"about_abel.doc", "How to use ABEL\nDevice list\n"},
      {"plan.sim", "Simulate the board with ABEL later\n"},
      {"verdict.sum", "ok\n"},
      {"empty.jed", ""},
      {"listing_as_map.jed", kOurOut},
      {"map_as_report.doc", kOurJed},
      {"map_as_design.abl", kOurJed},
  };
  for (const auto& [name, text] : others) {
    WriteBytes(dir / name, text);
    files.push_back({dir / name, false});
  }
  files.push_back({dir / "missing.jed", false});
  for (const auto& [path, ours] : files) EXPECT_EQ(ours, abelc::WrittenByAbelCompiler(path)) << path;
}

}  // namespace
