// Runs the kelnl program as a user would and looks at its exit status and output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <regex>
#include <set>
#include <string>

#include "tests/context/startup_support.h"
#include "tests/support/test_files.h"
#include "tests/tools/tool_run.h"

namespace {

using kelnl::testing::Outcome;
using kelnl::testing::TempDir;

class KelnlProgram : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "the program is driven through a POSIX shell";
#endif
  }

  Outcome Kelnl(const std::string& arguments) { return kelnl::testing::RunKelnl(dir_, arguments); }

  TempDir dir_;
};

TEST_F(KelnlProgram, CheckReportsCleanBrokenAndMissingFiles) {
  const std::string clean = dir_.Write("clean.kel", "a = 1\nb = (x = 1)\n  (y = 2)\n# comment\n");
  const Outcome ok = Kelnl("check '" + clean + "'");
  EXPECT_EQ(ok.status, 0);
  EXPECT_EQ(ok.out, clean + ": ok (2 parameters)\n");

  const std::string broken = dir_.Write("broken.kel", "  indented = 2\na = 1\nb = (\n");
  const Outcome bad = Kelnl("check '" + clean + "' '" + broken + "'");
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.out.find(": ok (2 parameters)"), std::string::npos) << "the clean file is still reported";
  EXPECT_NE(bad.err.find("NL-00462"), std::string::npos) << bad.err;
  EXPECT_NE(bad.err.find(broken), std::string::npos) << "the chain names the file";
  EXPECT_NE(bad.err.find("NL-00425"), std::string::npos) << "and goes on to the causes: " << bad.err;

  const Outcome missing = Kelnl("check '" + dir_.File("absent.kel") + "'");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("NL-00405"), std::string::npos) << missing.err;
}

TEST_F(KelnlProgram, ShowListsSortedAndPicksElements) {
  const std::string file = dir_.Write("p.kel", "zeta = 1\nAlpha = (one, two, three)\n");
  const Outcome all = Kelnl("show -f '" + file + "'");
  EXPECT_EQ(all.status, 0);
  EXPECT_EQ(all.out, "Alpha = (one, two, three)\nzeta = 1\n");
  const Outcome element = Kelnl("show -f '" + file + "' alpha 2");
  EXPECT_EQ(element.status, 0);
  EXPECT_EQ(element.out, "two\n");
  const Outcome wrapped = Kelnl("show -f '" + file + "' alpha 4294967297");
  EXPECT_EQ(wrapped.status, 2) << "an index beyond 32 bits is refused, not taken as 1";
  EXPECT_NE(wrapped.err.find("4294967297"), std::string::npos) << wrapped.err;
  const Outcome unknown = Kelnl("show -f '" + file + "' nothing");
  EXPECT_EQ(unknown.status, 1);
  EXPECT_NE(unknown.err.find("NL-00408"), std::string::npos) << unknown.err;
}

TEST_F(KelnlProgram, ExplainKnownAndUnknownCodes) {
  const Outcome known = Kelnl("explain NL-00462");
  EXPECT_EQ(known.status, 0);
  EXPECT_EQ(known.out.rfind("NL-00462: ", 0), 0u) << known.out;
  EXPECT_EQ(Kelnl("explain 462").out, known.out);
  const Outcome trace = Kelnl("explain NLT-18300");
  EXPECT_EQ(trace.status, 0);
  EXPECT_EQ(trace.out.rfind("NLT-18300: ", 0), 0u) << trace.out;
  const Outcome unknown = Kelnl("explain NL-99999");
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(Kelnl("explain XYZ-1").status, 2);
}

TEST_F(KelnlProgram, HelpForTheProgramAndEachCommand) {
  const Outcome help = Kelnl("--help");
  EXPECT_EQ(help.status, 0);
  for (const char* command : {"check", "show", "explain", "uuid", "status", "set", "save", "checkpoint", "load", "version"}) {
    EXPECT_NE(help.out.find(command), std::string::npos) << command;
    const Outcome own = Kelnl(std::string(command) + " --help");
    EXPECT_EQ(own.status, 0);
    EXPECT_EQ(own.out.rfind(std::string("usage: kelnl ") + command, 0), 0u) << own.out;
  }
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
       {"system parameter file   " + home.SystemFile() + " (read)\n",
        std::string("local parameter file    not read\n"), std::string("command-line parameters 2 (read)\n"),
        "included file           " + included + "\n", std::string("trace level             user (4)\n"),
        "trace file              " + home.File("trace/kelnl.trc") + "\n",
        "log file                " + home.File("network/log/kelnl.log") + "\n", std::string("holds                   1\n")}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "in\n" << run.out;
  }
  EXPECT_EQ(Kelnl("-p port=1600 show port").out, "1600\n");
  EXPECT_EQ(Kelnl("show trace_level_client").out, "user\n") << "without a file, show reads the system file";

  const Outcome refused = Kelnl("-p novalue status");
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("-p takes name=value"), std::string::npos);
}

TEST_F(KelnlProgram, SetSaveCheckpointAndLoad) {
  const std::string work = dir_.File("work");
  std::filesystem::create_directories(work);
  dir_.Write("work/kelnl.kel", "# kept\nport = 1521\n");
  const std::string in_work = "cd '" + work + "' && ";
  const std::string kelnl = std::string("'") + KELNL_TOOL_PATH + "'";
  const std::string script = "set port 1600\nset greeting hello world\nsave\ncheckpoint " + dir_.File("snap") +
                             "\nsave\n";
  dir_.Write("commands", script);
  ASSERT_EQ(std::system((in_work + kelnl + " @'" + dir_.File("commands") + "' >'" + dir_.File("out") + "'").c_str()),
            0);
  EXPECT_EQ(dir_.Read("out"), "2 changes saved in kelnl.kel\nnothing to save in kelnl.kel\n");
  const std::string saved = dir_.Read("work/kelnl.kel");
  EXPECT_EQ(saved.rfind("# kept\nport = 1600\n", 0), 0u) << saved;
  EXPECT_NE(saved.find("greeting = hello world\n"), std::string::npos) << saved;

  const Outcome loaded = Kelnl("@" + dir_.Write("load", "load " + dir_.File("snap.ckp") + "\nshow greeting\n"));
  EXPECT_EQ(loaded.status, 0) << loaded.err;
  EXPECT_EQ(loaded.out, "hello world\n");
  const Outcome missing = Kelnl("load " + dir_.File("none.ckp"));
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("NL-00405"), std::string::npos) << missing.err;
}

TEST_F(KelnlProgram, UuidPrintsDistinctIdentifiersInTheirTextForm) {
  const Outcome three = Kelnl("uuid 3");
  EXPECT_EQ(three.status, 0);
  const std::regex line("[0-9A-F]{12}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");
  std::set<std::string> seen;
  for (std::size_t start = 0, end; (end = three.out.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string id = three.out.substr(start, end - start);
    EXPECT_TRUE(std::regex_match(id, line)) << id;
    seen.insert(id);
  }
  EXPECT_EQ(seen.size(), 3u) << three.out;
  const std::string one = Kelnl("uuid").out;
  EXPECT_EQ(std::count(one.begin(), one.end(), '\n'), 1) << "one by default";
  for (const char* bad : {"uuid 0", "uuid -1", "uuid 5x", "uuid 1000001", "uuid 1 2"}) EXPECT_EQ(Kelnl(bad).status, 2) << bad;
}

TEST_F(KelnlProgram, CommandFilesAndStandardInput) {
  const std::string commands = dir_.Write("c.cmd", "# a comment\nversion\nfrob\n");
  const Outcome file = Kelnl("@'" + commands + "'");
  EXPECT_EQ(file.status, 0);
  EXPECT_EQ(file.out.rfind("kelnl 8.", 0), 0u) << file.out;
  EXPECT_NE(file.out.find("NL-00853: unknown command: frob"), std::string::npos) << "refused lines are printed";
  EXPECT_EQ(Kelnl("@'" + dir_.File("absent.cmd") + "'").status, 2);

  const Outcome piped = Kelnl("<'" + commands + "'");
  EXPECT_EQ(piped.out, file.out) << "standard input that is no terminal reads the same way, without prompts";
  const Outcome failing = Kelnl("<'" + dir_.Write("f.cmd", "check '" + dir_.File("absent.kel") + "'\n") + "'");
  EXPECT_EQ(failing.status, 1) << "a failed command fails the run";
}

TEST_F(KelnlProgram, BinaryGarbageAndOverlongLinesOnStandardInput) {
  std::string garbage;
  for (int i = 0; i < 20000; ++i) garbage += static_cast<char>((i * 7919) % 256);
  garbage += std::string(3000, 'x') + "\n" + std::string(600, ' ') + "version\n";
  const Outcome run = Kelnl("<'" + dir_.Write("garbage.bin", garbage) + "'");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("NL-00853"), std::string::npos);
}

TEST_F(KelnlProgram, SpawnRefusesAddressesItCannotStart) {
  const Outcome no_program = Kelnl("spawn '(ADDRESS=(ARGS=a))'");
  EXPECT_EQ(no_program.status, 1);
  EXPECT_EQ(no_program.err, "kelnl spawn: the address names no PROGRAM\n");
  const Outcome missing = Kelnl("spawn '(PROGRAM=/nonexistent/kelnl-program)'");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find("could not be started"), std::string::npos);
  EXPECT_EQ(Kelnl("spawn '(HOST=x)'").status, 1);
}

const std::string kList =
    "'(DESCRIPTION_LIST=(DESCRIPTION=(ADDRESS=(HOST=a))(ADDRESS=(HOST=b)))(DESCRIPTION=(ADDRESS=(HOST=c))))'";

TEST_F(KelnlProgram, ResolvePrintsEachCallUntilNothingIsLeft) {
  const Outcome in_order = Kelnl("resolve --options 8 " + kList);
  EXPECT_EQ(in_order.status, 0);
  EXPECT_EQ(in_order.out,
            "connect: (DESCRIPTION=(ADDRESS=(HOST=a)))\nforward: (DESCRIPTION=(ADDRESS=(HOST=a)))\n"
            "connect: (DESCRIPTION=(ADDRESS=(HOST=b)))\nforward: (DESCRIPTION=(ADDRESS=(HOST=b)))\n"
            "connect: (DESCRIPTION=(ADDRESS=(HOST=c)))\nforward: (DESCRIPTION=(ADDRESS=(HOST=c)))\n"
            "result: 4\n");
  EXPECT_EQ(Kelnl("resolve --calls 5 '(ADDRESS=(HOST=a))'").out,
            "connect: (ADDRESS=(HOST=a))\nforward: (ADDRESS=(HOST=a))\nresult: 4\nresult: 4\nresult: 4\nresult: 4\n");
  const Outcome refused = Kelnl("resolve '(CONNECT_DATA=(SID=x))'");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "result: 4\n");
  EXPECT_EQ(Kelnl("resolve --calls x '(ADDRESS=(HOST=a))'").status, 2);
  EXPECT_EQ(Kelnl("resolve no_such_service").status, 1);
  EXPECT_EQ(Kelnl("resolve --multi '(DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=tcp)(HOST=a))))'").out,
            "entry: (DESCRIPTION=(ADDRESS=(PROTOCOL=tcp)(HOST=a)))\naddress: (ADDRESS=(PROTOCOL=tcp)(HOST=a))\n"
            "result: 3\n");
}

TEST_F(KelnlProgram, ResolveSeedGivesARepeatableOrder) {
  for (const std::string mode : {"", "--multi "}) {
    const Outcome first = Kelnl("resolve " + mode + "--seed 77 " + kList);
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(Kelnl("resolve " + mode + "--seed 77 " + kList).out, first.out);
  }
}

}  // namespace
