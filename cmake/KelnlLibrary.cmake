# The library is compiled once into an object library; the shared library (the product) and a
# static library (for white-box tests) are both made from those objects. What the shared library
# exports is decided by the export list alone (a version script or a .def), not by attributes.

function(kelnl_begin_library)
  add_library(kelnl_objects OBJECT)
  target_include_directories(kelnl_objects
    PUBLIC
      $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
      $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>
    PRIVATE
      ${PROJECT_SOURCE_DIR})
  target_compile_definitions(kelnl_objects PRIVATE KELNL_BUILDING)
  target_link_libraries(kelnl_objects PRIVATE kelnl_warnings kelnl_library_flags)
endfunction()

# The settings every shipped shared library shares (kelnl and the name-value library kelnv):
# include directories, exactly the names of its export list, version and SONAME, and on Windows
# the DLL name <target><major>.dll with no runtime DLLs of the compiler beside it.
function(kelnl_configure_shared_library target export_list)
  kelnl_generate_exports(${export_list} ${target}${PROJECT_VERSION_MAJOR}.dll map_file def_file)
  target_include_directories(${target} PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
    $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  target_compile_definitions(${target} PRIVATE KELNL_BUILDING)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE kelnl_warnings kelnl_library_flags)
  kelnl_apply_exports(${target} ${map_file} ${def_file})
  set_target_properties(${target} PROPERTIES
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
  if(WIN32)
    set_target_properties(${target} PROPERTIES
      OUTPUT_NAME ${target}${PROJECT_VERSION_MAJOR} PREFIX "" IMPORT_PREFIX "lib")
    target_link_options(${target} PRIVATE -static-libgcc -static-libstdc++)
  endif()
endfunction()

# kelnl links the name-value library kelnv (its header is part of kelnl's interface): the shared
# library links libkelnv, the static one kelnv_static. The external trace library kelzt is linked
# the same way, privately: only the trace bridge calls it. Each shared library carries its own copy
# of the allocation failure hook; the static forms share one.
function(kelnl_finish_library)
  get_property(system_libs GLOBAL PROPERTY KELNL_SYSTEM_LIBRARIES)
  get_property(shared_only GLOBAL PROPERTY KELNL_SHARED_ONLY_SOURCES)

  add_library(kelnl SHARED $<TARGET_OBJECTS:kelnl_objects> ${shared_only})
  add_library(kelnl::kelnl ALIAS kelnl)
  kelnl_configure_shared_library(kelnl ${PROJECT_SOURCE_DIR}/kelnl.exports)
  target_link_libraries(kelnl PUBLIC kelnv PRIVATE ${system_libs} kelzt kelnl_allocation_hook)

  add_library(kelnl_static STATIC $<TARGET_OBJECTS:kelnl_objects>)
  target_include_directories(kelnl_static PUBLIC
    ${PROJECT_SOURCE_DIR}/include ${PROJECT_BINARY_DIR}/include ${PROJECT_SOURCE_DIR})
  target_compile_definitions(kelnl_static PUBLIC KELNL_STATIC)
  target_link_libraries(kelnl_static PUBLIC ${system_libs} kelnv_static kelzt_static kelnl_allocation_hook)
endfunction()

# Sources that belong only in the shared library (the Windows DLL entry point).
function(kelnl_shared_only_sources)
  set_property(GLOBAL APPEND PROPERTY KELNL_SHARED_ONLY_SOURCES ${ARGN})
endfunction()

function(kelnl_system_libraries)
  set_property(GLOBAL APPEND PROPERTY KELNL_SYSTEM_LIBRARIES ${ARGN})
endfunction()
