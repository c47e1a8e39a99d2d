# Cross-builds for 64-bit Windows with Debian's mingw-w64 tool chain:
#   cmake --preset windows && cmake --build --preset windows   (build/windows; see CMakePresets.json)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PRISMOLINK_MINGW_PREFIX x86_64-w64-mingw32)
# The posix flavour has the C++ threads library; either serves the device link.
find_program(CMAKE_CXX_COMPILER NAMES ${PRISMOLINK_MINGW_PREFIX}-g++-posix ${PRISMOLINK_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${PRISMOLINK_MINGW_PREFIX}-gcc-posix ${PRISMOLINK_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${PRISMOLINK_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${PRISMOLINK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The tool chain's runtime libraries are linked in, so the programs run on
# Windows (or under Wine) without DLLs copied beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
