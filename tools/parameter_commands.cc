// kelnl set NAME VALUE, save, checkpoint FILE and load FILE: changing the parameters in use,
// writing the changes into the local parameter file, and checkpoints of the parameters in use.
#include <cstdio>
#include <cstring>
#include <string>

#include "kelnl/version.h"
#include "tools/commands.h"
#include "tools/session.h"

namespace kelnl::tool {
namespace {

constexpr char kProduct[] = "kelnl";
constexpr std::uint32_t kVersionWord = std::uint32_t{KELNL_VERSION_MAJOR} << 24 |
                                       std::uint32_t{KELNL_VERSION_MINOR} << 20 |
                                       std::uint32_t{KELNL_VERSION_PATCH} << 12;

// The file a descriptor names, for messages; the descriptor's base name when it cannot be built.
std::string FileName(const NlFileNameDesc& desc) {
  char name[NLSTD_NAME_CAPACITY];
  std::uint32_t length = 0;
  if (nlfncons(nullptr, &desc, name, sizeof name, &length) != 0) {
    return std::string(desc.base_name, desc.base_name_length);
  }
  return std::string(name, length);
}

// A descriptor of a checkpoint path, split into directory, base and extension.
class CheckpointFile {
 public:
  explicit CheckpointFile(const char* path) {
    ok_ = nlfninit(nullptr, &desc_, path, static_cast<std::uint32_t>(std::strlen(path))) == 0;
  }
  ~CheckpointFile() { nlfndstry(&desc_); }
  CheckpointFile(const CheckpointFile&) = delete;
  CheckpointFile& operator=(const CheckpointFile&) = delete;
  bool ok() const { return ok_; }
  const NlFileNameDesc* desc() const { return &desc_; }

 private:
  NlFileNameDesc desc_{};
  bool ok_ = false;
};

int Failed(Session* session, const char* command) {
  std::fprintf(stderr, "kelnl %s: failed:\n", command);
  session->ReportErrors(true);
  return 1;
}

}  // namespace

int RunSet(int argc, char** argv) {
  Session* session = CurrentSession();
  if (session == nullptr || argc < 2) return 2;
  // Words after the name make up the value, as they would on one line of a parameter file.
  std::string value = argv[1];
  for (int i = 2; i < argc; ++i) value += std::string(" ") + argv[i];
  const std::int32_t result = session->SetParameter(argv[0], value);
  if (result != 0) {
    std::fprintf(stderr, "kelnl set: %s\n", session->LibraryText(static_cast<std::uint32_t>(result)).c_str());
    return 1;
  }
  return 0;
}

int RunSave(int argc, char**) {
  Session* session = CurrentSession();
  if (session == nullptr || argc != 0) return 2;
  const std::string file = FileName(session->startup().local_file);
  const std::size_t changes = session->pending_changes();
  if (changes == 0) {
    std::printf("nothing to save in %s\n", file.c_str());
    return 0;
  }
  const std::int32_t result = session->SaveChanges();
  if (result != NLSP_OK) return Failed(session, "save");
  std::printf("%zu change%s saved in %s\n", changes, changes == 1 ? "" : "s", file.c_str());
  return 0;
}

int RunCheckpoint(int argc, char** argv) {
  Session* session = CurrentSession();
  if (session == nullptr || argc != 1) return 2;
  CheckpointFile file(argv[0]);
  if (!file.ok()) return Failed(session, "checkpoint");
  NlGlobalContext* context = session->context();
  if (nlckpdcf_dump_ckp_file(context, context->parameters, file.desc(), kProduct, sizeof kProduct - 1, kVersionWord,
                             NL_STATUS_PRODUCTION) != 0) {
    return Failed(session, "checkpoint");
  }
  return 0;
}

int RunLoad(int argc, char** argv) {
  Session* session = CurrentSession();
  if (session == nullptr || argc != 1) return 2;
  CheckpointFile file(argv[0]);
  if (!file.ok()) return Failed(session, "load");
  NlGlobalContext* context = session->context();
  if (nlckpclp_ckp_load_ptable(context, &context->parameters, file.desc()) != 0) {
    // Reading reasons stay in the context's own record; the stack gets them for the report.
    nlerlpe(context->error_stack, context->primary_errors);
    return Failed(session, "load");
  }
  return 0;
}

}  // namespace kelnl::tool
