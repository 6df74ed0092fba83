// Address texts built from address and description entries: the parenthesised text a parameter
// file would hold for an end-point list or a connect descriptor.
#include <cstring>
#include <string_view>

#include "params/directory_session.h"
#include "platform/core/allocator.h"
#include "platform/core/core.h"

namespace kelnl::params {
namespace {

enum class Level { kAddress, kAddressList, kDescription, kDescriptionList };

// The list level of an entry from its object classes; false when it is none of them, which
// fails the conversion: an entry of another kind named in an address list is a broken reference.
bool LevelOf(char* const* classes, Level* level) {
  static constexpr struct {
    const char* object_class;
    Level level;
  } kLevels[] = {{"nexaNetAddress", Level::kAddress},
                 {"nexaNetAddressList", Level::kAddressList},
                 {"nexaNetDescription", Level::kDescription},
                 {"nexaNetDescriptionList", Level::kDescriptionList}};
  for (char* const* value = classes; value != nullptr && *value != nullptr; ++value) {
    for (const auto& known : kLevels) {
      if (lstclo(*value, known.object_class) == 0) {
        *level = known.level;
        return true;
      }
    }
  }
  return false;
}

const char* KeywordOf(Level level) {
  switch (level) {
    case Level::kAddressList: return "address_list";
    case Level::kDescription: return "description";
    case Level::kDescriptionList: return "description_list";
    case Level::kAddress: break;
  }
  return nullptr;
}

// conn_param_list items carry no keyword. No attribute of the address table becomes
// conn_param_list today; the keyword stays here so a row added for it is gathered alike.
bool IsConnectData(std::string_view keyword) {
  return keyword == "sid" || keyword == "sdu" || keyword == "service_name" || keyword == "instance_name" ||
         keyword == "handler_name" || keyword == "conn_param_list" || keyword == "server" ||
         keyword == "tarvo_home";
}

void AppendConnectDataItem(std::string_view keyword, char* const* values, DirectoryText* part) {
  part->Append("(");
  if (keyword != "conn_param_list") part->Append(keyword).Append("=");
  part->AppendValues(values, ")(").Append(")");
}

// The security part holds one item per attribute the description has. Several authentication
// services are one item with the services joined by ",", (authentication_service=a,b): the
// name-value parser reads that as one value, where a parenthesised list would not parse. Each
// authentication parameter name=value is an item of its own, (name=value), so that a component
// finds it by name inside the part; a value without a name keeps the keyword.
void AppendSecurityItem(std::string_view keyword, char* const* values, DirectoryText* part) {
  if (keyword == "auth_params") {
    for (char* const* value = values; *value != nullptr; ++value) {
      part->Append("(");
      if (std::strchr(*value, '=') == nullptr) part->Append("auth_params=");
      part->Append(*value).Append(")");
    }
    return;
  }
  part->Append("(").Append(keyword).Append("=").AppendValues(values, ",").Append(")");
}

struct DescriptionParts {
  DirectoryText connect_data;
  DirectoryText security;
};

std::int32_t AppendEntry(dir::Directory* directory, const char* name, DirectoryText* text, int depth,
                         Level* level_out);

std::int32_t AppendAttribute(dir::Directory* directory, const char* entry_name, std::string_view keyword,
                             char* const* values, bool description, DescriptionParts* parts, DirectoryText* text,
                             int depth) {
  if (keyword == "addr_list" || keyword == "desc_list") {
    return AppendAddressText(directory, values, entry_name, text, depth + 1);
  }
  if (keyword == "address_string" || keyword == "protocol_stack") {
    text->AppendValues(values);
  } else if (keyword == "param_list") {
    text->Append("(").AppendValues(values).Append(")");
  } else if (description && IsConnectData(keyword)) {
    AppendConnectDataItem(keyword, values, &parts->connect_data);
  } else if (description && (keyword == "authentication_service" || keyword == "auth_params")) {
    AppendSecurityItem(keyword, values, &parts->security);
  } else {
    text->Append("(").Append(keyword).Append("=").AppendValues(values).Append(")");
  }
  return NLOL_OK;
}

std::int32_t AppendAttributes(NlolEntry* entry, const char* entry_name, Level level, DirectoryText* text,
                              int depth) {
  DescriptionParts parts;
  const bool description = level == Level::kDescription;
  for (std::uint32_t row = 1; row < kAddressTable.rows; ++row) {
    const std::string_view keyword = kAddressTable.parameters[row];
    if (ProducesNoParameter(keyword)) continue;
    char** values = nullptr;
    std::int32_t result = GetValues(entry, kAddressTable.attributes[row], &values);
    if (result == NLOL_OK && values != nullptr && values[0] != nullptr) {
      result = AppendAttribute(entry->directory, entry_name, keyword, values, description, &parts, text, depth);
    }
    if (result != NLOL_OK) return result;
  }
  if (parts.connect_data.length() > 0) text->Append("(connect_data=").Append(parts.connect_data.view()).Append(")");
  if (parts.security.length() > 0) text->Append("(security=").Append(parts.security.view()).Append(")");
  return parts.connect_data.failed() || parts.security.failed() ? NLOL_NO_MEMORY : NLOL_OK;
}

std::int32_t AppendEntry(dir::Directory* directory, const char* name, DirectoryText* text, int depth,
                         Level* level_out) {
  if (depth > kAddressDepthLimit) return NLOL_FAILED;
  NlolEntry entry{directory, nullptr};
  char entry_name[kEntryNameSize];
  std::int32_t result = EntryOutcome(ReadEntry(&entry, name, nullptr, kAddressTable, entry_name));
  if (result != NLOL_OK) return result;
  char** classes = nullptr;
  Level level = Level::kAddress;
  result = GetValues(&entry, kObjectClassAttribute, &classes);
  if (result == NLOL_OK && !LevelOf(classes, &level)) result = NLOL_FAILED;
  if (result == NLOL_OK) {
    const char* keyword = KeywordOf(level);
    if (keyword != nullptr) text->Append("(").Append(keyword).Append("=");
    result = AppendAttributes(&entry, entry_name, level, text, depth);
    if (keyword != nullptr) text->Append(")");
  }
  ReleaseEntry(&entry);
  if (level_out != nullptr) *level_out = level;
  return result;
}

}  // namespace

std::int32_t AppendAddressText(dir::Directory* directory, char* const* values, const char* referrer,
                               DirectoryText* text, int depth, AddressListing* listing) {
  char** ordered = nullptr;
  std::int32_t result = OrderValues(values, &ordered);
  for (char** name = ordered; result == NLOL_OK && *name != nullptr; ++name) {
    DirectoryText complete;
    Level level = Level::kAddress;
    result = CompleteEntryName(*name, referrer, &complete);
    if (result == NLOL_OK) result = AppendEntry(directory, complete.view().data(), text, depth, &level);
    if (listing != nullptr) {
      listing->entries += 1;
      listing->descriptions |= level == Level::kDescription || level == Level::kDescriptionList;
    }
  }
  Release(ordered);
  if (result == NLOL_OK && text->failed()) result = NLOL_NO_MEMORY;
  return result;
}

// Several entries side by side are not one value a parameter can hold: they are gathered in
// the list they form, a description list when any of them is a description.
std::int32_t BuildAddressValue(dir::Directory* directory, char* const* values, const char* referrer,
                               char** value) {
  DirectoryText entries;
  AddressListing listing;
  std::int32_t result = AppendAddressText(directory, values, referrer, &entries, 0, &listing);
  if (result != NLOL_OK) return result;
  DirectoryText text;
  if (listing.entries > 1) text.Append(listing.descriptions ? "(description_list=" : "(address_list=");
  text.Append(entries.view());
  if (listing.entries > 1) text.Append(")");
  *value = text.Take();
  return *value != nullptr ? NLOL_OK : NLOL_NO_MEMORY;
}

}  // namespace kelnl::params
