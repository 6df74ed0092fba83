// The block of added parameters: what the update table holds and the old file does not.
#include <cstring>

#include "kelnl/nlda.h"
#include "kelnl/nlerrors.h"
#include "kelnl/snlf.h"
#include "params/update_job.h"

namespace kelnl::params {
namespace {

constexpr char kHeaderStart[] = "#----ADDED ";
constexpr char kHeaderEnd[] = "---";

// Writes the header line and returns its length without its two newlines, which the closing
// line of dashes matches.
std::uint32_t WriteHeader(UpdateJob& job, const char* author, std::uint32_t author_length) {
  const bool has_author = author != nullptr && author_length != 0;
  char date[NL_DATE_BUFFER_SIZE];
  std::size_t date_length = 0;
  const bool has_date = nldatxt(job.context, date, sizeof date, &date_length) == 0;
  NlOsErrorRecord record{};
  job.Check(snlfprh(&record, job.output, "\n%s%s%.*s%s%.*s%s\n", kHeaderStart, has_author ? "BY " : "",
                    has_author ? static_cast<int>(author_length) : 0, has_author ? author : "",
                    has_date ? " " : "", has_date ? static_cast<int>(date_length) : 0, has_date ? date : "",
                    kHeaderEnd));
  return static_cast<std::uint32_t>(sizeof kHeaderStart - 1 + (has_author ? 3 + author_length : 0) +
                                    (has_date ? 1 + date_length : 0) + sizeof kHeaderEnd - 1);
}

void WriteClosing(UpdateJob& job, std::uint32_t header_length) {
  static constexpr char kDashes[] = "----------------------------------------------------------------";
  job.Write("#", 1);
  for (std::uint32_t left = header_length - 1; left > 0 && !job.Failed();) {
    const std::uint32_t run = left < sizeof kDashes - 1 ? left : static_cast<std::uint32_t>(sizeof kDashes - 1);
    job.Write(kDashes, run);
    left -= run;
  }
  job.Write("\n", 1);
}

}  // namespace

void AppendAddedParameters(UpdateJob& job, const char* author, std::uint32_t author_length) {
  std::uint32_t header_length = 0;
  std::int32_t state = 0;
  char* name = nullptr;
  char* value = nullptr;
  while (!job.Failed()) {
    NlPrimaryErrorRecord walk{};
    nlpaseq(&walk, job.update, &state, &name, &value);
    if (value == nullptr) break;
    // Any hold on the name counts, whatever its value: a value that differs was rewritten in
    // place, and a name met only through an included file is left to that file.
    NlPrimaryErrorRecord search{};
    const std::int32_t found = nlpafind(&search, job.old_parameters, name, static_cast<std::uint32_t>(std::strlen(name)),
                                        value, static_cast<std::uint32_t>(std::strlen(value)));
    if (IsMemoryFailure(found)) {
      job.OutOfMemory();
      return;
    }
    if (found != NLE_PARAM_NOT_FOUND) continue;
    if (header_length == 0) header_length = WriteHeader(job, author, author_length);
    NlOsErrorRecord record{};
    job.Check(snlfprh(&record, job.output, "%s = %s\n", name, value));
  }
  if (header_length != 0 && !job.Failed()) WriteClosing(job, header_length);
}

}  // namespace kelnl::params
