# Cross-compiles for 64-bit Windows with MinGW-w64 (Debian: g++-mingw-w64-x86-64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(NORMCALC_MINGW_PREFIX x86_64-w64-mingw32)
# Debian installs the compiler in a POSIX-threads and a Win32-threads flavour. The POSIX one
# comes first: GoogleTest for Windows needs std::mutex, which GCC 12's Win32 one lacks. It links
# winpthreads into normcalc.exe, whose notice the .zip carries (see cmake/Packaging.cmake).
find_program(CMAKE_CXX_COMPILER
  NAMES ${NORMCALC_MINGW_PREFIX}-g++-posix ${NORMCALC_MINGW_PREFIX}-g++-win32
        ${NORMCALC_MINGW_PREFIX}-g++
  REQUIRED)
# GoogleTest, built from its sources for the tests, has C in its project languages.
find_program(CMAKE_C_COMPILER
  NAMES ${NORMCALC_MINGW_PREFIX}-gcc-posix ${NORMCALC_MINGW_PREFIX}-gcc-win32
        ${NORMCALC_MINGW_PREFIX}-gcc
  REQUIRED)

# The version resource of normcalc.exe.
find_program(CMAKE_RC_COMPILER ${NORMCALC_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${NORMCALC_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Linked statically, so that normcalc.exe runs without the compiler's DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# The tests are Windows programs too: they run under Wine when it is installed.
include(${CMAKE_CURRENT_LIST_DIR}/WineLoader.cmake)
if(NORMCALC_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${NORMCALC_WINE})
endif()
