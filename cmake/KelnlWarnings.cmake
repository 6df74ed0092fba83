# Warnings stay PRIVATE to our own targets so that they never reach users of the package.
add_library(kelnl_warnings INTERFACE)
target_compile_options(kelnl_warnings INTERFACE
  $<$<COMPILE_LANG_AND_ID:CXX,GNU,Clang>:-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion>
  $<$<COMPILE_LANG_AND_ID:C,GNU,Clang>:-Wall -Wextra -Wpedantic>
  $<$<AND:$<BOOL:${KELNL_WERROR}>,$<COMPILE_LANG_AND_ID:CXX,GNU,Clang>>:-Werror>
  $<$<AND:$<BOOL:${KELNL_WERROR}>,$<COMPILE_LANG_AND_ID:C,GNU,Clang>>:-Werror>)

# The library itself runs without exceptions and RTTI: nothing may throw across the C ABI.
add_library(kelnl_library_flags INTERFACE)
target_compile_options(kelnl_library_flags INTERFACE
  $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>)
