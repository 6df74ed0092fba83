// What the interpreter's source files share: the state of one line and the printing helpers.
#ifndef KELNL_CMDINT_INTERPRETER_H
#define KELNL_CMDINT_INTERPRETER_H

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "kelnl/nlcp.h"

namespace kelnl::cmdint {

inline constexpr std::int32_t kLibraryFacility = 1;
inline constexpr std::size_t kPathTextLimit = 255;

// What nlcpdo keeps while it walks one line; every line starts afresh.
struct LineState {
  NlGlobalContext* context;
  std::int32_t help_facility;
  std::uint32_t flags;  // interpreter flags
  void* user_data;
  const NlCommandEntry* table;
  std::uint32_t mode = NLCP_NONE;
  const char* repeat_text = "1";
  std::int32_t path[NLCP_PATH_LIMIT] = {};
  std::int32_t depth = 0;
  char path_text[kPathTextLimit + 1] = {};
  std::size_t path_text_length = 0;
  bool help = false;
  std::int32_t file_nesting = 0;  // command files open around this line
};

bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool IsHidden(const NlCommandEntry& row, std::uint32_t flags);
bool AcceptsMode(const NlCommandEntry& row, std::uint32_t mode);
bool IsModifier(const NlCommandEntry& row);

// Appends " <name>" to the path text, cut at its limit.
void AppendToPathText(LineState& line, const char* name);

// Prints text to the context's log stream, through nlfifpf.
void Print(NlGlobalContext* context, const char* text);
// Prints name, a '*' when marked, and blanks up to width.
void PrintColumn(NlGlobalContext* context, const char* name, bool marked, std::size_t width);
void Flush(NlGlobalContext* context);

// Prints a message of the library's facility with up to three text arguments put in its "%s"
// places; a message that cannot be found prints as nothing.
void PrintMessage(NlGlobalContext* context, std::uint32_t number, const char* argument = nullptr);

// Copies the text of message `number` of emfi `emfi` into buffer (size > 0, terminated); false,
// with an empty text, when the message files have no text for it.
bool FindMessage(NlGlobalContext* context, std::int32_t emfi, std::uint32_t number, char* buffer, std::size_t size);

// Pushes (1, code) with the given text arguments onto the context's error stack; returns code.
std::int32_t Refuse(NlGlobalContext* context, std::int32_t code);
std::int32_t Refuse(NlGlobalContext* context, std::int32_t code, const char* text);
std::int32_t RefuseWithTexts(NlGlobalContext* context, std::int32_t code, const char* first, const char* second,
                             const char* third);

// The listings nlcpdo answers with.
void ListTable(const LineState& line, const NlCommandEntry* table);
void ListCandidates(NlGlobalContext* context, const char* word, const NlCommandEntry* table,
                    const std::int32_t* candidates, std::int32_t count);
void ListAcceptedModes(NlGlobalContext* context, const NlCommandEntry& row);

// nlcpdrv and nlcpdo inside command files: file_nesting counts the files open around the run,
// so that a file naming itself ends without a depth kept per thread.
std::int32_t Drive(NlGlobalContext* context, std::int32_t help_facility, const char* program_name,
                   std::int32_t interactive, const NlCommandEntry* table, std::uint32_t flags, void* user_data,
                   NlDiagStream* input, std::int32_t file_nesting);
std::int32_t InterpretLineWords(NlGlobalContext* context, std::int32_t help_facility, char** words,
                                std::int32_t word_count, const NlCommandEntry* table, std::uint32_t flags,
                                void* user_data, std::int32_t file_nesting);

// Runs the command file named after the '@' of word; nlcpdo's result for the line.
std::int32_t RunCommandFile(LineState& line, const char* word);

// Step 9 of a line: argument counts, help text, confirmation and the handler under a frame.
std::int32_t RunCommand(LineState& line, std::int32_t row_index, char** words, std::int32_t word_index,
                        std::int32_t word_count);

}  // namespace kelnl::cmdint

#endif
