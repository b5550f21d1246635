# Cross-compiles for 64-bit ARM Linux (Debian: g++-aarch64-linux-gnu); the programs run on this
# machine under qemu-user (Debian: qemu-user) when it is installed.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(NORMCALC_AARCH64_PREFIX aarch64-linux-gnu)
find_program(CMAKE_CXX_COMPILER NAMES ${NORMCALC_AARCH64_PREFIX}-g++ REQUIRED)
# GoogleTest, built from its sources for the tests, has C in its project languages.
find_program(CMAKE_C_COMPILER NAMES ${NORMCALC_AARCH64_PREFIX}-gcc REQUIRED)

set(NORMCALC_AARCH64_ROOT /usr/${NORMCALC_AARCH64_PREFIX})
set(CMAKE_FIND_ROOT_PATH ${NORMCALC_AARCH64_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# qemu-user runs the programs, with the ARM C library's loader and libraries from where the
# cross compiler's packages put them.
find_program(NORMCALC_QEMU_AARCH64 NAMES qemu-aarch64 qemu-aarch64-static
  DOC "qemu-user's emulator for 64-bit ARM programs")
if(NORMCALC_QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${NORMCALC_QEMU_AARCH64} -L ${NORMCALC_AARCH64_ROOT})
endif()
