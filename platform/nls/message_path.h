// Where message files are looked for.
#ifndef KELNL_PLATFORM_NLS_MESSAGE_PATH_H
#define KELNL_PLATFORM_NLS_MESSAGE_PATH_H

#include <cstddef>
#include <cstdio>
#include <string_view>

namespace kelnl::nls {

// Writes <home><sep><product><sep>mesg<sep><facility><language>.msg into out, product and
// facility in lower case, the separator added after home only when home does not end with one.
// False when the path does not fit size bytes with its terminator.
bool ComposeMessageFilePath(std::string_view home, const char* product, const char* facility,
                            const char* language, char* out, std::size_t size);

// Opens the message file for reading, in binary mode so that offsets are byte offsets. With
// TARVO_HOME set (and not empty) only that home is tried: a user who names a home means it.
// Otherwise the installed data directory, then (in a build configured for it) the build tree.
std::FILE* OpenMessageFile(const char* product, const char* facility, const char* language);

}  // namespace kelnl::nls

#endif
