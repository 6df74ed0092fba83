// Writing parameters back into a parameter file: the rewrite in place, the added block, and
// what survives when moving, reading or writing fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <cstring>
#include <regex>
#include <set>
#include <string>

#include "kelnl/nlda.h"
#include "kelnl/nler.h"
#include "kelnl/nlerrors.h"
#include "kelnl/nlpa.h"
#include "kelnl/nlsp.h"
#include "params/update_hook.h"
#include "tests/support/alloc_sweep.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/test_files.h"

namespace {

namespace fs = std::filesystem;
using kelnl::testing::DescriptorFor;

const std::string kDate = kelnl::testing::kHeaderDatePattern;

class ParameterUpdate : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(nlerinit(nullptr, &context_.error_stack, nullptr, nullptr), 0);
    context_.primary_errors = &primary_;
    ASSERT_EQ(nlpains(&record_, &update_, NLPA_CREATE_ONLY, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr), 0);
    file_path_ = dir_.File("net.kel");
    backup_path_ = dir_.File("net.bak");
    file_ = DescriptorFor(file_path_);
    backup_ = DescriptorFor(backup_path_);
  }
  void TearDown() override {
    kelnl::params::update_hook::SetBeforeMove(nullptr, nullptr);
    nlpatrm(&record_, &update_);
    nldatrm(&context_);
    nlerdestroy(nullptr, &context_.error_stack);
  }
  void Set(const std::string& name, const std::string& value) {
    ASSERT_EQ(nlpassp(&record_, update_, 1, name.data(), static_cast<uint32_t>(name.size()), value.data(),
                      static_cast<uint32_t>(value.size())),
              0);
  }
  int32_t Update(const char* author = nullptr) {
    return nlspfile(&context_, update_, &file_, &backup_, author, author == nullptr ? 0 : static_cast<uint32_t>(std::strlen(author)));
  }
  std::string Written() const { return dir_.ReadText("net.kel"); }
  const NlErrorEntry& Top() const { return context_.error_stack->entries[context_.error_stack->depth - 1]; }

  kelnl::testing::TempDir dir_;
  NlGlobalContext context_{};
  NlPrimaryErrorRecord primary_{};
  NlPrimaryErrorRecord record_{};
  NlParameterTable* update_ = nullptr;
  std::string file_path_;
  std::string backup_path_;
  NlFileNameDesc file_{};
  NlFileNameDesc backup_{};
};

constexpr char kNetwork[] =
    "# network settings\n"
    "\n"
    "TRACE_LEVEL = 4   # verbose\n"
    "LOG_DIR = /var/log\n"
    "ADDR = (ADDRESS=\n"
    "   (HOST=a)\n"
    "   # the old port\n"
    "   (PORT=1))\n"
    "A, B = 1\n"
    "greeting = Hello\n"
    "ifile = /nonexistent/extra.kel\n";

TEST_F(ParameterUpdate, ChangedStatementsAreRewrittenInPlaceAndTheRestCopied) {
  dir_.Write("net.kel", kNetwork);
  Set("trace_level", "6");
  Set("ADDR", "(ADDRESS=(HOST=b)(PORT=2))");
  Set("B", "2");
  Set("GREETING", "HELLO");  // only the letter case differs: not a change
  ASSERT_EQ(Update("kelnl"), NLSP_OK);
  EXPECT_EQ(Written(),
            "# network settings\n"
            "\n"
            "TRACE_LEVEL = 6# verbose\n"
            "LOG_DIR = /var/log\n"
            "ADDR = (ADDRESS=(HOST=b)(PORT=2))\n"
            "A = 1\n"
            "B = 2\n"
            "greeting = Hello\n"
            "ifile = /nonexistent/extra.kel\n")
      << "every name is in the file: no added block";
  EXPECT_EQ(dir_.Read("net.bak"), kNetwork) << "the backup is the previous file byte for byte";
}

TEST_F(ParameterUpdate, NewParametersFollowInABlockNamingAuthorAndDate) {
  dir_.Write("net.kel", "# only comments\n\n");
  Set("X", "1");
  ASSERT_EQ(Update("kelnl"), NLSP_OK);
  const std::string text = Written();
  std::smatch match;
  ASSERT_TRUE(std::regex_match(text, match,
                               std::regex("# only comments\n\n\n(#----ADDED BY kelnl " + kDate + "---)\nX = 1\n(#-+)\n")))
      << text;
  EXPECT_EQ(match[2].length(), match[1].length()) << "the closing line is as long as the header";

  // Nothing to add: no block at all, and the earlier block is kept as comments.
  ASSERT_EQ(Update(), NLSP_OK);
  EXPECT_EQ(Written(), text);
}

TEST_F(ParameterUpdate, MissingFileIsCreatedWithOnlyTheAddedBlock) {
  Set("X", "1");
  ASSERT_EQ(Update(), NLSP_OK);
  EXPECT_TRUE(std::regex_match(Written(), std::regex("\n#----ADDED  " + kDate + "---\nX = 1\n#-{34}\n")))
      << Written();
  EXPECT_EQ(dir_.Names(), (std::set<std::string>{"net.kel"})) << "no backup of a file that did not exist";
}

TEST_F(ParameterUpdate, NameHeldThroughAnIncludedFileIsNeitherRewrittenNorAdded) {
  const std::string included = dir_.Write("extra.kel", "X = 1\n");
  const std::string main_text = "ifile = " + included + "\nY = 1\n";
  dir_.Write("net.kel", main_text);
  Set("X", "2");
  ASSERT_EQ(Update(), NLSP_OK);
  EXPECT_EQ(Written(), main_text);
  EXPECT_EQ(dir_.Read("extra.kel"), "X = 1\n");
}

TEST_F(ParameterUpdate, LinesLongerThanOnePieceSurviveByteForByte) {
  const std::string long_comment = "# " + std::string(600, 'c') + "\n";
  const std::string long_value = "LONG = (" + std::string(400, 'v') + ")\n";
  dir_.Write("net.kel", long_comment + long_value + "SHORT = 1\n");
  Set("SHORT", "2");
  Set("LONG", "(w)");  // a statement beyond the working storage is kept as it stands
  ASSERT_EQ(Update(), NLSP_OK);
  EXPECT_EQ(Written(), long_comment + long_value + "SHORT = 2\n");
}

TEST_F(ParameterUpdate, FailedMoveChangesNothing) {
  dir_.Write("net.kel", kNetwork);
  fs::create_directory(backup_path_);
  dir_.Write("net.bak/occupied", "x");  // a non-empty directory cannot be replaced by a file
  Set("trace_level", "6");
  ASSERT_EQ(Update(), NLSP_FILE_FAILED);
  EXPECT_EQ(dir_.Read("net.kel"), kNetwork);
  EXPECT_EQ(dir_.Names(), (std::set<std::string>{"net.bak", "net.kel"}));
  EXPECT_EQ(Top().facility, 4u);
  EXPECT_EQ(Top().error, 0u) << "an operating-system entry";
  EXPECT_NE(Top().os_error.operation, 0u);
}

TEST_F(ParameterUpdate, FileChangedBetweenReadAndMoveIsUpdatedAsItStandsWhenMoved) {
  dir_.Write("net.kel", "X = 1\n");
  kelnl::params::update_hook::SetBeforeMove(
      [](void* directory) {
        static_cast<kelnl::testing::TempDir*>(directory)->Write("net.kel", "X = 1\nY = 5\n# late\n");
      },
      &dir_);
  Set("X", "2");
  Set("Y", "3");
  ASSERT_EQ(Update(), NLSP_OK);
  EXPECT_EQ(Written(), "X = 2\nY = 3\n# late\n") << "Y is in the file as moved: rewritten, not added";
}

TEST_F(ParameterUpdate, ReadOnlyFileIsReplacedAndUnreadableFileRefused) {
  dir_.Write("net.kel", kNetwork);
  fs::permissions(file_path_, fs::perms::owner_read);
  Set("trace_level", "6");
  ASSERT_EQ(Update(), NLSP_OK);
  EXPECT_EQ(dir_.Read("net.bak"), kNetwork);

  dir_.Write("net.kel", kNetwork);
  fs::permissions(file_path_, fs::perms::none);
  if (std::FILE* probe = std::fopen(file_path_.c_str(), "r")) {
    std::fclose(probe);
    GTEST_SKIP() << "this user reads files without read permission";
  }
  EXPECT_EQ(Update(), NLSP_NOT_READABLE);
  fs::permissions(file_path_, fs::perms::owner_read);
  EXPECT_EQ(dir_.Read("net.kel"), kNetwork);
}

#ifndef _WIN32
TEST_F(ParameterUpdate, FullDiskLeavesAShortFileAndThePreviousTextInTheBackup) {
  const std::string original = kNetwork + std::string(5000, '#') + "\n";
  dir_.Write("net.kel", original);
  Set("trace_level", "6");
  Set("NEW_ONE", "x");
  {
    kelnl::testing::FileSizeLimit limit(4096);
    ASSERT_EQ(Update(), NLSP_OK) << "a failed write is not reported";
  }
  EXPECT_EQ(dir_.Read("net.bak"), original);
  const std::string written = dir_.Read("net.kel");
  EXPECT_LE(written.size(), 4096u);
  EXPECT_NE(written.find("TRACE_LEVEL = 6"), std::string::npos) << "the rewrite went on up to the failure";
}
#endif

TEST_F(ParameterUpdate, RunningOutOfMemoryKeepsTheFile) {
  dir_.Write("net.kel", kNetwork);
  Set("trace_level", "6");
  Set("NEW_ONE", "x");
  const long allocations = kelnl::testing::SweepAllocationFailures(
      [&] {
        const int32_t result = Update();
        if (result == NLSP_OK) return;  // only the date text failed: the block has no date
        EXPECT_EQ(result, NLSP_NO_MEMORY);
        EXPECT_EQ(Top().error, static_cast<uint32_t>(NLE_UPDATE_NO_MEMORY));
        EXPECT_EQ(dir_.Read("net.kel"), kNetwork);
        EXPECT_EQ(dir_.Names().count("net.bak"), 0u);
      },
      [&] {
        nldatrm(&context_);
        fs::remove(backup_path_);
        dir_.Write("net.kel", kNetwork);
      });
  EXPECT_GT(allocations, 10);
}

}  // namespace
