// The attribute tables of the directory objects: for each object kind, the directory attribute
// names asked for and, at the same index, the parameter (or address keyword) each becomes. Both
// lists end with an empty name; the first row is objectclass, the last the version attribute.
#ifndef KELNL_PARAMS_DIRECTORY_TABLES_H
#define KELNL_PARAMS_DIRECTORY_TABLES_H

#include <cstdint>
#include <string_view>

namespace kelnl::params {

struct AttributeTable {
  const char* const* attributes;
  const char* const* parameters;
  std::uint32_t rows;  // without the empty end row
};

extern const AttributeTable kListenerTable;
extern const AttributeTable kConnectionManagerTable;
extern const AttributeTable kRulesTable;
extern const AttributeTable kServiceTable;
extern const AttributeTable kAuthenticationTable;
extern const AttributeTable kProfileTable;
extern const AttributeTable kAddressTable;

// Attributes asked for by name outside the table walks.
inline constexpr char kSharedProfileAttribute[] = "Nexasharedprofile";
inline constexpr char kAuthParamsAttribute[] = "Nexaauthparams";
inline constexpr char kDescStringAttribute[] = "nexaNetDescString";
inline constexpr char kDescNameAttribute[] = "nexaNetDescName";
inline constexpr char kObjectClassAttribute[] = "objectclass";

// Rows that are read but never become a parameter of their own.
bool ProducesNoParameter(std::string_view parameter);

}  // namespace kelnl::params

#endif
