include(CMakePackageConfigHelpers)

install(TARGETS kelnl kelnv kelzt EXPORT kelnlTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY include/kelnl DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h")
install(FILES ${PROJECT_BINARY_DIR}/include/kelnl/version.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kelnl)

install(EXPORT kelnlTargets NAMESPACE kelnl:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/kelnl)
configure_package_config_file(cmake/kelnlConfig.cmake.in
  ${PROJECT_BINARY_DIR}/kelnlConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/kelnl)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/kelnlConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/kelnlConfig.cmake ${PROJECT_BINARY_DIR}/kelnlConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/kelnl)

file(RELATIVE_PATH KELNL_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
configure_file(cmake/kelnl.pc.in ${PROJECT_BINARY_DIR}/kelnl.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/kelnl.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
