// The directory-access parameters of ldap.kel as the converters use them: opening the directory
// they name and completing plain object names into entry names.
#include <cstring>

#include "context/context_lock.h"
#include "kelnl/nlfn.h"
#include "kelnl/nlpa.h"
#include "params/directory_session.h"
#include "platform/core/allocator.h"

namespace kelnl::params {
namespace {

constexpr std::uint32_t kParameterSize = 512;
constexpr std::uint32_t kPathSize = 1024;

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// A relative LDIF file lives next to ldap.kel: the folder of the file the table was read from.
// The name is looked at under the context mutex, as nlpagetldparam may release the table.
bool ResolveLdifFile(NlGlobalContext* context, const char* file, char* path) {
  if (snlfnisabs(file) != 0) {
    if (std::strlen(file) >= kPathSize) return false;
    std::strcpy(path, file);
    return true;
  }
  ContextMutexGuard guard(context, &context->context_mutex);
  const NlParameterTable* table = context->directory_parameters;
  const char* folder = table != nullptr ? table->first_file_name : "";
  std::size_t folder_length = std::strlen(folder);
  while (folder_length > 0 && !IsSeparator(folder[folder_length - 1])) --folder_length;
  if (folder_length + std::strlen(file) >= kPathSize) return false;
  std::memcpy(path, folder, folder_length);
  std::strcpy(path + folder_length, file);
  return true;
}

// Zero-filled when allocated: every text starts empty.
struct SettingTexts {
  char backend[kParameterSize];
  char ldif_file[kParameterSize];
  char uri[kParameterSize];
  char bind_dn[kParameterSize];
  char password[kParameterSize];
  char home[kParameterSize];
  char system[kParameterSize];
  char ldif_path[kPathSize];
  char service_base[2 * kParameterSize + 8];
};

void ReadSettings(NlGlobalContext* context, SettingTexts* texts) {
  GetDirectoryParameter(context, "directory_backend", texts->backend, kParameterSize);
  GetDirectoryParameter(context, "directory_ldif_file", texts->ldif_file, kParameterSize);
  GetDirectoryParameter(context, "directory_uri", texts->uri, kParameterSize);
  GetDirectoryParameter(context, "directory_bind_dn", texts->bind_dn, kParameterSize);
  GetDirectoryParameter(context, "directory_password", texts->password, kParameterSize);
  // Net service names live below the home entry; without a home, below the system entry.
  const bool has_home = GetDirectoryParameter(context, "homeid", texts->home, kParameterSize);
  GetDirectoryParameter(context, "systemname_in_dir", texts->system, kParameterSize);
  if (has_home) {
    std::strcat(std::strcat(std::strcat(std::strcpy(texts->service_base, "cn="), texts->home), ","), texts->system);
  } else {
    std::strcpy(texts->service_base, texts->system);
  }
}

}  // namespace

bool GetDirectoryParameter(NlGlobalContext* context, const char* name, char* buffer, std::uint32_t size) {
  char* value = nullptr;
  std::uint32_t length = 0;
  buffer[0] = '\0';
  if (nlpagetldparam(context, name, static_cast<std::uint32_t>(std::strlen(name)), 1, &value, &length, 1) != 0 ||
      value == nullptr || length >= size) {
    return false;
  }
  std::memcpy(buffer, value, length);
  buffer[length] = '\0';
  return true;
}

std::int32_t OpenConfiguredDirectory(NlGlobalContext* context, dir::Directory** directory) {
  *directory = nullptr;
  // Several kilobytes of texts: too much for the stack of a thread of a server process.
  auto* texts = static_cast<SettingTexts*>(AllocateZeroed(1, sizeof(SettingTexts)));
  if (texts == nullptr) return NLOL_NO_MEMORY;
  ReadSettings(context, texts);
  std::int32_t result = NLOL_FAILED;
  if (texts->ldif_file[0] == '\0' || ResolveLdifFile(context, texts->ldif_file, texts->ldif_path)) {
    const dir::DirectorySettings settings{texts->backend, texts->ldif_path, texts->uri,
                                          texts->bind_dn, texts->password, texts->service_base};
    const std::int32_t opened = dir::DirectoryOpen(settings, directory);
    result = opened == 0 ? NLOL_OK : opened == dir::kDirectoryNoMemory ? NLOL_NO_MEMORY : NLOL_FAILED;
  }
  Release(texts);
  return result;
}

bool IsPlainName(const char* name) { return std::strpbrk(name, ".=@") == nullptr; }

std::int32_t BuildEntryName(NlGlobalContext* context, const char* name, DirectoryText* entry_name) {
  char home[kParameterSize];
  char system[kParameterSize];
  if (!GetDirectoryParameter(context, "homeid", home, sizeof home) ||
      !GetDirectoryParameter(context, "systemname_in_dir", system, sizeof system)) {
    return NLOL_FAILED;
  }
  entry_name->Append("cn=").Append(name).Append(",cn=").Append(home).Append(",").Append(system);
  return entry_name->failed() ? NLOL_NO_MEMORY : NLOL_OK;
}

}  // namespace kelnl::params
