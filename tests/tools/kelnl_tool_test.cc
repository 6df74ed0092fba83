// Runs the kelnl program as a user would and looks at its exit status and output.
#include <gtest/gtest.h>

#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/product_home.h"
#include "tests/support/test_files.h"
#include "tests/tools/tool_run.h"

namespace {

using kelnl::testing::Outcome;
using kelnl::testing::TempDir;

// A run of the program and what it must give: its exit status, its whole output (when given)
// and fragments of its error output.
struct Expected {
  std::string arguments;
  int status;
  std::optional<std::string> out;
  std::vector<std::string> err = {};
};

class KelnlProgram : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "the program is driven through a POSIX shell";
#endif
  }

  Outcome Kelnl(const std::string& arguments) { return kelnl::testing::RunKelnl(dir_, arguments); }
  void Expect(const std::vector<Expected>& runs) {
    for (const Expected& run : runs) {
      const Outcome outcome = Kelnl(run.arguments);
      EXPECT_EQ(outcome.status, run.status) << run.arguments << "\n" << outcome.err;
      if (run.out) {
        EXPECT_EQ(outcome.out, *run.out) << run.arguments;
      }
      for (const std::string& part : run.err) {
        EXPECT_NE(outcome.err.find(part), std::string::npos) << outcome.err;
      }
    }
  }

  TempDir dir_;
};

TEST_F(KelnlProgram, CheckReportsCleanBrokenAndMissingFiles) {
  const std::string clean = dir_.Write("clean.kel", "a = 1\nb = (x = 1)\n  (y = 2)\n# comment\n");
  const std::string broken = dir_.Write("broken.kel", "  indented = 2\na = 1\nb = (\n");
  Expect({
      {"check '" + clean + "'", 0, clean + ": ok (2 parameters)\n"},
      // The clean file is still reported; the chain names the broken one and goes on to the causes.
      {"check '" + clean + "' '" + broken + "'", 1, clean + ": ok (2 parameters)\n", {"NL-00462", broken, "NL-00425"}},
      {"check '" + dir_.File("absent.kel") + "'", 1, std::nullopt, {"NL-00405"}},
  });
}

TEST_F(KelnlProgram, ShowListsSortedAndPicksElements) {
  const std::string file = "show -f '" + dir_.Write("p.kel", "zeta = 1\nAlpha = (one, two, three)\n") + "' ";
  Expect({
      {file, 0, "Alpha = (one, two, three)\nzeta = 1\n"},
      {file + "alpha 2", 0, "two\n"},
      {file + "alpha 4294967297", 2, std::nullopt, {"4294967297"}},  // beyond 32 bits: refused, not taken as 1
      {file + "nothing", 1, std::nullopt, {"NL-00408"}},
  });
}

TEST_F(KelnlProgram, ExplainKnownAndUnknownCodes) {
  const Outcome known = Kelnl("explain NL-00462");
  EXPECT_EQ(known.out.rfind("NL-00462: ", 0), 0u) << known.out;
  EXPECT_EQ(Kelnl("explain NLT-18300").out.rfind("NLT-18300: ", 0), 0u);
  Expect({{"explain 462", 0, known.out}, {"explain NL-99999", 1, std::nullopt}, {"explain XYZ-1", 2, std::nullopt}});
}

// The help texts are rows of the command table: one of them stands for the rest.
TEST_F(KelnlProgram, HelpForTheProgramAndACommand) {
  const Outcome help = Kelnl("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("checkpoint"), std::string::npos) << help.out;
  const Outcome own = Kelnl("checkpoint --help");
  EXPECT_EQ(own.status, 0);
  EXPECT_EQ(own.out.rfind("usage: kelnl checkpoint", 0), 0u) << own.out;
  EXPECT_EQ(Kelnl("frobnicate").status, 2);
}

TEST_F(KelnlProgram, StatusShowsTheStartupOfTheProductHome) {
  kelnl::testing::ProductHome home;
  home.Write("network/admin/brisol.kel", "trace_level_client = user\ntrace_directory_client = " + home.File("trace") +
                                            "\nlog_directory_client = " + home.File("network/log") + "\n");
  const std::string included = home.Write("site.kel", "site = yes\n");
  const Outcome run = Kelnl("-p ifile=" + included + " -p port=1600 status");
  EXPECT_EQ(run.status, 0) << run.err;
  for (const std::string& line :
       {"system parameter file   " + home.SystemFile() + " (read)\n", std::string("command-line parameters 2 (read)\n"),
        "included file           " + included + "\n", "trace file              " + home.File("trace/kelnl.trc") + "\n",
        "log file                " + home.File("network/log/kelnl.log") + "\n"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "in\n" << run.out;
  }
  Expect({
      {"-p port=1600 show port", 0, "1600\n"},
      {"show trace_level_client", 0, "user\n"},  // without a file, show reads the system file
      {"-p novalue status", 2, std::nullopt, {"-p takes name=value"}},
  });
}

TEST_F(KelnlProgram, SetSaveCheckpointAndLoad) {
  std::filesystem::create_directories(dir_.File("work"));
  dir_.Write("work/kelnl.kel", "# kept\nport = 1521\n");
  const std::string script =
      "set port 1600\nset greeting hello world\nsave\ncheckpoint " + dir_.File("snap") + "\nsave\n";
  const Outcome saving = kelnl::testing::RunKelnl(dir_, "@'" + dir_.Write("commands", script) + "'", dir_.File("work"));
  EXPECT_EQ(saving.status, 0) << saving.err;
  EXPECT_EQ(saving.out, "2 changes saved in kelnl.kel\nnothing to save in kelnl.kel\n");
  // How a save keeps the rest of the file is the parameter tests' business.
  EXPECT_NE(dir_.Read("work/kelnl.kel").find("port = 1600\n"), std::string::npos);
  Expect({
      {"@" + dir_.Write("load", "load " + dir_.File("snap.ckp") + "\nshow greeting\n"), 0, "hello world\n"},
      {"load " + dir_.File("none.ckp"), 1, std::nullopt, {"NL-00405"}},
  });
}

// The identifiers' form and uniqueness are the library's; the program adds the count.
TEST_F(KelnlProgram, UuidPrintsTheCountAsked) {
  const Outcome three = Kelnl("uuid 3");
  EXPECT_EQ(three.status, 0);
  const std::regex lines("([0-9A-F]{12}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\n){3}");
  EXPECT_TRUE(std::regex_match(three.out, lines)) << three.out;
  EXPECT_EQ(Kelnl("uuid").out.size(), 36u) << "one by default";
  for (const char* bad : {"uuid 0", "uuid -1", "uuid 5x", "uuid 1000001", "uuid 1 2"}) EXPECT_EQ(Kelnl(bad).status, 2) << bad;
}

// How lines are read and refused is the interpreter's; the program adds the sources and the status.
TEST_F(KelnlProgram, CommandFilesAndStandardInput) {
  const std::string commands = dir_.Write("c.cmd", "# a comment\nversion\nfrob\n");
  const Outcome file = Kelnl("@'" + commands + "'");
  EXPECT_EQ(file.status, 0);
  EXPECT_EQ(file.out.rfind("kelnl 8.", 0), 0u) << file.out;
  EXPECT_NE(file.out.find("NL-00853: unknown command: frob"), std::string::npos) << "refused lines are printed";
  // Binary garbage and overlong lines are refused lines like any other.
  std::string garbage;
  for (int i = 0; i < 20000; ++i) garbage += static_cast<char>((i * 7919) % 256);
  garbage += std::string(3000, 'x') + "\n" + std::string(600, ' ') + "version\n";
  // Standard input that is no terminal reads the same way, without prompts; a failed command
  // fails the run.
  Expect({
      {"<'" + commands + "'", 0, file.out},
      {"<'" + dir_.Write("garbage.bin", garbage) + "'", 0, std::nullopt},
      {"@'" + dir_.File("absent.cmd") + "'", 2, std::nullopt},
      {"<'" + dir_.Write("f.cmd", "check '" + dir_.File("absent.kel") + "'\n") + "'", 1, std::nullopt},
  });
}

// Reading and starting are the spawn tests' business; the program adds its own messages.
TEST_F(KelnlProgram, SpawnRefusesAddressesItCannotStart) {
  Expect({{"spawn '(ADDRESS=(ARGS=a))'", 1, "", {"kelnl spawn: the address names no PROGRAM\n"}},
          {"spawn '(PROGRAM=/nonexistent/kelnl-program)'", 1, "", {"could not be started"}}});
}

// The order of the addresses is the address tests' business; the program adds what it prints
// for each call.
TEST_F(KelnlProgram, ResolvePrintsEachCallUntilNothingIsLeft) {
  const std::string list =
      "(DESCRIPTION=(ADDRESS=(HOST=a))(ADDRESS=(HOST=b)))(DESCRIPTION=(ADDRESS=(HOST=c))))'";
  Expect({
      {"resolve --options 8 '(DESCRIPTION_LIST=" + list, 0,
       "connect: (DESCRIPTION=(ADDRESS=(HOST=a)))\nforward: (DESCRIPTION=(ADDRESS=(HOST=a)))\n"
       "connect: (DESCRIPTION=(ADDRESS=(HOST=b)))\nforward: (DESCRIPTION=(ADDRESS=(HOST=b)))\n"
       "connect: (DESCRIPTION=(ADDRESS=(HOST=c)))\nforward: (DESCRIPTION=(ADDRESS=(HOST=c)))\nresult: 4\n"},
      {"resolve --calls 5 '(ADDRESS=(HOST=a))'", 0,
       "connect: (ADDRESS=(HOST=a))\nforward: (ADDRESS=(HOST=a))\nresult: 4\nresult: 4\nresult: 4\nresult: 4\n"},
      {"resolve --multi '(DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=tcp)(HOST=a))))'", 0,
       "entry: (DESCRIPTION=(ADDRESS=(PROTOCOL=tcp)(HOST=a)))\naddress: (ADDRESS=(PROTOCOL=tcp)(HOST=a))\nresult: 3\n"},
      {"resolve '(CONNECT_DATA=(SID=x))'", 1, "result: 4\n"},
      {"resolve no_such_service", 1, std::nullopt},
      {"resolve --calls x '(ADDRESS=(HOST=a))'", 2, std::nullopt},
  });
  const std::string balanced = "resolve --seed 77 '(DESCRIPTION_LIST=(LOAD_BALANCE=on)" + list;
  EXPECT_EQ(Kelnl(balanced).out, Kelnl(balanced).out) << "the same seed, the same order";
}

}  // namespace
