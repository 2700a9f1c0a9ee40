# Runs the cross-built Windows programs under wine: the tests through ctest
# and the generators of the demo image and the fuzz seeds during the build.
# The prefix lives in the build tree, so a build never touches ~/.wine.
if(CMAKE_CROSSCOMPILING_EMULATOR)
  return()
endif()
find_program(ROMSCOPE_WINE NAMES wine64 wine PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
find_program(ROMSCOPE_WINE NAMES wine64 wine)
find_program(ROMSCOPE_WINESERVER NAMES wineserver wineserver64 PATHS /usr/lib/wine /usr/lib64/wine
             NO_DEFAULT_PATH)
find_program(ROMSCOPE_WINESERVER NAMES wineserver wineserver64)
if(NOT ROMSCOPE_WINE OR NOT ROMSCOPE_WINESERVER)
  message(STATUS "wine not found (apt-get install wine64)")
  return()
endif()
set(ROMSCOPE_WINEPREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
# With address space layout randomization, about one wine start in a
# thousand fails before the program runs ("failed to map the shared user
# data"); without it none did in thousands.
set(ROMSCOPE_WINE_LAUNCH "")
find_program(ROMSCOPE_SETARCH setarch)
if(ROMSCOPE_SETARCH)
  execute_process(COMMAND ${ROMSCOPE_SETARCH} ${CMAKE_HOST_SYSTEM_PROCESSOR} -R true
                  RESULT_VARIABLE ROMSCOPE_SETARCH_RESULT OUTPUT_QUIET ERROR_QUIET)
  if(ROMSCOPE_SETARCH_RESULT EQUAL 0)
    set(ROMSCOPE_WINE_LAUNCH "'${ROMSCOPE_SETARCH}' ${CMAKE_HOST_SYSTEM_PROCESSOR} -R ")
  endif()
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
