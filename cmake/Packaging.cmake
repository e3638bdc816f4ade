# The release zip: the launcher and its text for Windows users, nothing else.
# The test helper programs of the cross build have no install rules, and only
# the Launcher component goes into the package, so a rule added to them later
# still stays out of it.
install(TARGETS DovernProfessionalSMSServer RUNTIME DESTINATION . COMPONENT Launcher)
# CPack builds nothing of its own: tools/make_release.sh builds what the release
# ships, not the test helpers and benchmarks too.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/README-Windows.txt DESTINATION . COMPONENT Launcher)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME DovernProfessionalSMSServer)
set(CPACK_PACKAGE_VERSION 1.00)
set(CPACK_PACKAGE_FILE_NAME DovernProfessionalSMSServer-1.00-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};Launcher;/")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})

# CPack stamps every entry with the SOURCE_DATE_EPOCH of its environment, all
# three zip times included, instead of the files' own times. Without one given,
# the time of the last commit is used, so the same sources give the same zip;
# UTC keeps the entries' local DOS times independent of the builder's zone.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackTimestamps.cmake)
file(CONFIGURE OUTPUT ${CPACK_PROJECT_CONFIG_FILE} @ONLY CONTENT [=[
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C "@CMAKE_SOURCE_DIR@" log -1 --format=%ct
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE failed ERROR_QUIET)
  if(failed OR NOT epoch MATCHES "^[0-9]+$")
    set(epoch 1262304000)
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()
set(ENV{TZ} UTC)
]=])

include(CPack)
