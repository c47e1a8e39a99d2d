# Cross-builds for 64-bit Windows with Debian's mingw-w64 tool chain:
#   cmake --preset windows && cmake --build --preset windows   (build/windows; see CMakePresets.json)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PRISMOLINK_MINGW_PREFIX x86_64-w64-mingw32)
# The posix flavour has the C++ threads library; either serves the device link.
find_program(CMAKE_CXX_COMPILER NAMES ${PRISMOLINK_MINGW_PREFIX}-g++-posix ${PRISMOLINK_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${PRISMOLINK_MINGW_PREFIX}-gcc-posix ${PRISMOLINK_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${PRISMOLINK_MINGW_PREFIX}-windres REQUIRED)

# Libraries built for Windows elsewhere (packaging/windows/build-deps.sh) are
# found where CMAKE_PREFIX_PATH points, as CMake packages and through
# pkg-config; never the build machine's own.
set(CMAKE_FIND_ROOT_PATH /usr/${PRISMOLINK_MINGW_PREFIX} ${CMAKE_PREFIX_PATH})
set(prismolinkPkgConfigDirs)
foreach(prefix IN LISTS CMAKE_PREFIX_PATH)
    list(APPEND prismolinkPkgConfigDirs ${prefix}/lib/pkgconfig)
endforeach()
string(REPLACE ";" ":" prismolinkPkgConfigDirs "${prismolinkPkgConfigDirs}")
set(ENV{PKG_CONFIG_LIBDIR} "${prismolinkPkgConfigDirs}")
set(ENV{PKG_CONFIG_PATH} "")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The tool chain's runtime libraries are linked in, so the programs run on
# Windows (or under Wine) without DLLs copied beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
