# Builds for 64-bit Windows with Debian's mingw-w64 cross compiler (the
# variant with POSIX threads). Programs link statically, so a test binary
# runs on a bare Windows or under Wine without any DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# The tests run under Wine. Listing them needs the program run, so ctest
# does that when it starts rather than the build.
find_program(MIGRATION_WINE NAMES wine64 wine
             PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(MIGRATION_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${MIGRATION_WINE})
endif()
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
