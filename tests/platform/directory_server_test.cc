// The LDAP backend against the private slapd of the test fixture, loaded from the sample.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/dir/directory.h"
#include "platform/dir/entry_store.h"
#include "platform/dir/names.h"
#include "platform/dir/ldif_parser.h"
#include "tests/platform/directory_test_support.h"

namespace kelnl::dir {
namespace {

using testing::Key;
using testing::SampleLdif;
using testing::ServerUri;
using testing::ValuesOf;

constexpr const char* kAdmin = "cn=admin,dc=example,dc=com";

class DirectoryServer : public ::testing::Test {
 protected:
  void SetUp() override {
    uri_ = ServerUri();
    if (uri_.empty()) GTEST_SKIP() << "no private directory server (KELNL_SLAPD_DIR)";
  }
  std::int32_t Open(const char* bind_dn, const char* password, Directory** directory) {
    const DirectorySettings settings{"ldap", nullptr, uri_.c_str(), bind_dn, password, "cn=home1,dc=example,dc=com"};
    return DirectoryOpen(settings, directory);
  }
  std::int32_t Read(Directory* directory, const char* entry, const char* object_class, const char* const* table,
                    DirectoryResult** result) {
    return DirectoryReadEntry(directory, entry, object_class, table, 0, result, name_, sizeof name_, &length_);
  }
  std::string uri_;
  char name_[512] = {};
  std::uint32_t length_ = 0;
};

TEST_F(DirectoryServer, ReadsEveryEntryOfTheSampleAsTheFileBackendDoes) {
  std::ifstream file(SampleLdif(), std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EntryStore sample;
  std::uint32_t line = 0;
  ASSERT_EQ(ParseLdif(text, &sample, &line), 0);

  const std::string path = SampleLdif();
  const DirectorySettings file_settings{"ldif", path.c_str(), nullptr, nullptr, nullptr, nullptr};
  Directory* from_file = nullptr;
  Directory* from_server = nullptr;
  ASSERT_EQ(DirectoryOpen(file_settings, &from_file), 0);
  ASSERT_EQ(Open(kAdmin, "secret", &from_server), 0);

  for (std::size_t i = 0; i < sample.size(); ++i) {
    const StoredEntry& entry = *sample.entry(i);
    SCOPED_TRACE(entry.name);
    std::vector<const char*> table;
    for (std::uint32_t a = 0; a < entry.attribute_count; ++a) table.push_back(entry.attributes[a].type);
    table.push_back("nexaNotThere");  // asked for, held by no entry
    table.push_back(nullptr);
    DirectoryResult* file_result = nullptr;
    DirectoryResult* server_result = nullptr;
    ASSERT_EQ(Read(from_file, entry.name, "top", table.data(), &file_result), 0);
    const std::string file_name = name_;
    ASSERT_EQ(Read(from_server, entry.name, "top", table.data(), &server_result), 0);
    EXPECT_EQ(Key(file_name), Key(name_));
    for (const char* type : table) {
      if (type == nullptr) break;
      EXPECT_EQ(ValuesOf(from_file, file_result, type), ValuesOf(from_server, server_result, type)) << type;
    }
    char** values = nullptr;
    EXPECT_EQ(DirectoryGetValues(from_server, server_result, "nexaNotThere", &values), kDirectoryNoSuchAttribute);
    DirectoryReleaseResult(from_file, &file_result);
    DirectoryReleaseResult(from_server, &server_result);
  }
  DirectoryClose(&from_file);
  DirectoryClose(&from_server);
}

TEST_F(DirectoryServer, AnonymousReadsWithClassChecksAndNameLookup) {
  Directory* directory = nullptr;
  ASSERT_EQ(Open(nullptr, nullptr, &directory), 0);
  DirectoryResult* result = nullptr;
  const char* const table[] = {"objectclass", "Nexatracelevel", "Nexapasswords", ""};
  // Only the attributes asked for come back.
  ASSERT_EQ(Read(directory, "cn=listener, cn=home1, dc=example, dc=com", "NexaListener", table, &result), 0);
  char** values = nullptr;
  EXPECT_EQ(DirectoryGetValues(directory, result, "Nexalogfile", &values), kDirectoryNoSuchAttribute);
  DirectoryReleaseResult(directory, &result);

  // The last: a class with filter characters in it must not change the filter's meaning.
  const std::pair<const char*, const char*> missing[] = {{"cn=LISTENER,cn=home1,dc=example,dc=com", "Nexaprofile"},
                                                         {"not a name", nullptr},
                                                         {"cn=LISTENER,cn=home1,dc=example,dc=com", "*)(cn=*"}};
  for (const auto& [entry, object_class] : missing) {
    EXPECT_EQ(Read(directory, entry, object_class, table, &result), kDirectoryEntryNotFound) << entry;
  }
  const char* const no_attributes[] = {nullptr};
  ASSERT_EQ(NameLookupReadEntry(directory, "sales", nullptr, no_attributes, 0, &result, name_, sizeof name_,
                                &length_),
            0);
  EXPECT_EQ(Key(name_), "cn=sales,cn=home1,dc=example,dc=com");
  EXPECT_EQ(DirectoryGetValues(directory, result, "cn", &values), kDirectoryNoSuchAttribute);
  DirectoryClose(&directory);  // releases the result still held
}

TEST_F(DirectoryServer, RefusedBindsAndUnreachableServersHaveTheirOwnCodes) {
  Directory* directory = nullptr;
  EXPECT_EQ(Open(kAdmin, "wrong", &directory), kDirectoryBindRefused);
  EXPECT_EQ(directory, nullptr);
  // Port 1 on the loopback address: nothing listens, the connection is refused at once.
  const DirectorySettings closed{"ldap", nullptr, "ldap://127.0.0.1:1/", nullptr, nullptr, nullptr};
  EXPECT_EQ(DirectoryOpen(closed, &directory), kDirectoryServerUnreachable);
  const DirectorySettings bad_uri{"ldap", nullptr, "gopher://127.0.0.1/", nullptr, nullptr, nullptr};
  EXPECT_EQ(DirectoryOpen(bad_uri, &directory), kDirectoryServerFailed);
  const DirectorySettings no_uri{"ldap", nullptr, nullptr, nullptr, nullptr, nullptr};
  EXPECT_EQ(DirectoryOpen(no_uri, &directory), kDirectoryBadArgument);
  EXPECT_EQ(directory, nullptr);
}

// A server that takes the connection and then never answers: the kernel completes the
// handshake for a listening socket nobody accepts on.
TEST(DirectoryServerSilent, GivesUpWithinTheTimeLimit) {
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), size), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size), 0);
  const std::string uri = "ldap://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";
  const DirectorySettings settings{"ldap", nullptr, uri.c_str(), kAdmin, "secret", nullptr};
  Directory* directory = nullptr;
  EXPECT_EQ(DirectoryOpen(settings, &directory), kDirectoryServerUnreachable);
  EXPECT_EQ(directory, nullptr);
  close(listener);
}

}  // namespace
}  // namespace kelnl::dir
