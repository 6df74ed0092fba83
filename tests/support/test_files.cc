#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kelnl::testing {
namespace {

void SetVariable(const std::string& name, const char* value) {
#ifdef _WIN32
  _putenv_s(name.c_str(), value == nullptr ? "" : value);
#else
  if (value == nullptr) {
    unsetenv(name.c_str());
  } else {
    setenv(name.c_str(), value, 1);
  }
#endif
}

// Removes a tree even where tests left files read-only or unreadable: Windows refuses to delete
// a read-only file, and the folder names repeat from run to run (rand() is never seeded), so a
// leftover would stop the next run's test at its start.
void RemoveTree(const std::filesystem::path& path) {
  namespace fs = std::filesystem;
  std::error_code ignored;
  fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ignored);
  for (fs::recursive_directory_iterator it(path, ignored), end; it != end; it.increment(ignored)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(path, ignored);
}

}  // namespace

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string leaf = "kelnl-";
  if (info != nullptr) leaf += std::string(info->test_suite_name()) + "-" + info->name();
  leaf += "-" + std::to_string(counter++) + "-" + std::to_string(std::rand());
  for (char& c : leaf) {
    if (c == '/' || c == '\\') c = '_';
  }
  path_ = std::filesystem::temp_directory_path() / leaf;
  RemoveTree(path_);
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() { RemoveTree(path_); }

std::string TempDir::File(std::string_view name) const { return (path_ / std::string(name)).string(); }

std::string TempDir::Write(std::string_view name, std::string_view contents) const {
  const std::string file = File(name);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  return file;
}

std::string TempDir::Read(std::string_view name) const {
  std::ifstream in(File(name), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string TempDir::ReadText(std::string_view name) const {
  std::string text = Read(name);
  std::erase(text, '\r');
  return text;
}

std::set<std::string> TempDir::Names() const {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) names.insert(entry.path().filename().string());
  return names;
}

ScopedEnvironment::ScopedEnvironment(const char* name, const char* value) : name_(name) {
  const char* old = std::getenv(name);
  had_value_ = old != nullptr;
  if (had_value_) old_value_ = old;
  SetVariable(name_, value);
}

ScopedEnvironment::~ScopedEnvironment() { SetVariable(name_, had_value_ ? old_value_.c_str() : nullptr); }

}  // namespace kelnl::testing
