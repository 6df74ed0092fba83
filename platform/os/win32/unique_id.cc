#include <windows.h>

#include <objbase.h>

#include "platform/os/os.h"

namespace kelnl::os {
namespace {

GuidResult FromComResult(HRESULT result) {
  if (result == E_OUTOFMEMORY) return GuidResult::kNoMemory;
  if (result == E_INVALIDARG) return GuidResult::kInvalidArgument;
  return GuidResult::kServiceFailure;
}

void StoreBigEndian(std::uint8_t* bytes, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * (width - 1 - i)));
}

}  // namespace

GuidResult CreateGuid(std::uint8_t bytes[16]) {
  // S_FALSE means COM was already initialised on this thread by someone else: it is used as it
  // is and left that way. Only an initialisation made here is undone here.
  const HRESULT initialised = CoInitialize(nullptr);
  if (initialised != S_OK && initialised != S_FALSE) return FromComResult(initialised);
  GUID guid;
  const HRESULT created = CoCreateGuid(&guid);
  if (initialised == S_OK) CoUninitialize();
  if (FAILED(created)) return FromComResult(created);
  StoreBigEndian(bytes, guid.Data1, 4);
  StoreBigEndian(bytes + 4, guid.Data2, 2);
  StoreBigEndian(bytes + 6, guid.Data3, 2);
  for (int i = 0; i < 8; ++i) bytes[8 + i] = guid.Data4[i];
  return GuidResult::kOk;
}

}  // namespace kelnl::os
