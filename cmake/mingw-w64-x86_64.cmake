# Cross-building Kiv Logs for 64-bit Windows with Debian's MinGW-w64 (the
# posix thread model, which std::thread needs). The window needs Qt built for
# MinGW: scripts/qt-mingw.sh puts it in build/windows/qt, where it is found
# (or give its folder in the environment as KIV_QT_MINGW).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KIV_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KIV_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KIV_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KIV_MINGW_TRIPLET}-windres)

# Libraries and packages come from the MinGW tree (and from the folders given
# in CMAKE_PREFIX_PATH, re-rooted there), never from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${KIV_MINGW_TRIPLET})
if(DEFINED ENV{KIV_QT_MINGW})
  set(KIV_QT_MINGW $ENV{KIV_QT_MINGW})
else()
  get_filename_component(KIV_QT_MINGW ${CMAKE_CURRENT_LIST_DIR}/../build/windows/qt/qt-6.4.2-mingw ABSOLUTE)
endif()
if(EXISTS ${KIV_QT_MINGW}/lib/cmake/Qt6)
  list(APPEND CMAKE_FIND_ROOT_PATH ${KIV_QT_MINGW})
  # Qt's tools (moc, rcc, uic) are Debian's own Qt of the same version.
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Linked statically: the programs run on a school's workstation (or under
# Wine) without the compiler's DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs can then be started through Wine where it is installed.
find_program(KIV_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(KIV_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KIV_WINE})
endif()
