# GoogleTest built from source with this build's own compiler, from Debian's
# googletest package (/usr/src/googletest): a cross build cannot link the
# host's prebuilt libraries, and the network is never needed.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory(${ROMSCOPE_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# The library is not ours: no warnings of ours for it.
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)
# GoogleTest 1.11 and later name their targets so themselves.
if(NOT TARGET GTest::gtest_main)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()
set(GTest_FOUND TRUE)
