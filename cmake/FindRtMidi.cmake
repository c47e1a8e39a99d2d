# Finds RtMidi and provides the target RtMidi::RtMidi.
#
# Through pkg-config where there is one (Debian's librtmidi-dev); else by
# its header and library, under RTMIDI_ROOT (a CMake or environment
# variable: where a build of RtMidi was installed, as for a Windows build
# without pkg-config) or the usual places. On Windows the library is built
# for the Windows MIDI API, which needs winmm.
find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND AND NOT RTMIDI_ROOT AND NOT DEFINED ENV{RTMIDI_ROOT})
    pkg_check_modules(RTMIDI QUIET IMPORTED_TARGET GLOBAL rtmidi)
endif()

if(TARGET PkgConfig::RTMIDI)
    add_library(RtMidi::RtMidi ALIAS PkgConfig::RTMIDI)
    set(RtMidi_FOUND TRUE)
    return()
endif()

find_path(RTMIDI_INCLUDE_DIR RtMidi.h
    HINTS ${RTMIDI_ROOT} ENV RTMIDI_ROOT
    PATH_SUFFIXES include/rtmidi include rtmidi)
find_library(RTMIDI_LIBRARY NAMES rtmidi librtmidi
    HINTS ${RTMIDI_ROOT} ENV RTMIDI_ROOT
    PATH_SUFFIXES lib lib64)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(RtMidi REQUIRED_VARS RTMIDI_LIBRARY RTMIDI_INCLUDE_DIR)

if(RtMidi_FOUND AND NOT TARGET RtMidi::RtMidi)
    add_library(RtMidi::RtMidi UNKNOWN IMPORTED GLOBAL)
    set_target_properties(RtMidi::RtMidi PROPERTIES
        IMPORTED_LOCATION "${RTMIDI_LIBRARY}"
        INTERFACE_INCLUDE_DIRECTORIES "${RTMIDI_INCLUDE_DIR}")
    if(WIN32)
        set_property(TARGET RtMidi::RtMidi APPEND PROPERTY INTERFACE_LINK_LIBRARIES winmm)
    else()
        find_package(Threads REQUIRED)
        set_property(TARGET RtMidi::RtMidi APPEND PROPERTY INTERFACE_LINK_LIBRARIES Threads::Threads)
    endif()
endif()
