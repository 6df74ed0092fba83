# Installs the message files into a scratch prefix and checks that the library finds them there
# through TARVO_HOME.
file(REMOVE_RECURSE ${PREFIX})
execute_process(
  COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --component kelnl_messages --prefix ${PREFIX}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
set(home ${PREFIX}/${HOME_DIR})
foreach(file network/mesg/nlus.msg network/mesg/nltus.msg network/mesg/snlus.msg rdbms/mesg/kelus.msg)
  if(NOT EXISTS ${home}/${file})
    message(FATAL_ERROR "not installed: ${home}/${file}")
  endif()
endforeach()
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env TARVO_HOME=${home} KELNL_INSTALLED_HOME_UNDER_TEST=${home}
    ${TEST_PROGRAM} --gtest_filter=InstalledMessages.*
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the installed message files were not found through TARVO_HOME")
endif()
file(REMOVE_RECURSE ${PREFIX})
