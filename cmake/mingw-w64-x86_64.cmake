# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix threads):
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# The programs link libgcc, libstdc++ and winpthread statically, so that they
# run on Windows (and under Wine) without any DLL beside them. Tests and
# other programs built here run under Wine when CTest runs them.
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

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Qt for Windows as scripts/qt-windows builds it, found in its cache without
# any option: SIFTA_QT_WINDOWS, or the newest qt-*-mingw64 under
# ${XDG_CACHE_HOME:-~/.cache}/sifta that was built to the end. Debian's
# moc, rcc and uic of the same version serve as the host tools. With Qt the
# window program and its tests are built too; the programs then need the Qt
# DLLs and MinGW's C++ runtime DLLs beside them.
if(DEFINED ENV{SIFTA_QT_WINDOWS})
  set(SIFTA_QT_WINDOWS_PREFIX $ENV{SIFTA_QT_WINDOWS})
else()
  if(DEFINED ENV{XDG_CACHE_HOME})
    set(_sifta_cache $ENV{XDG_CACHE_HOME}/sifta)
  else()
    set(_sifta_cache $ENV{HOME}/.cache/sifta)
  endif()
  file(GLOB _sifta_qt_builds ${_sifta_cache}/qt-*-mingw64/sifta-configure.txt)
  if(_sifta_qt_builds)
    list(SORT _sifta_qt_builds COMPARE NATURAL ORDER DESCENDING)
    list(GET _sifta_qt_builds 0 _sifta_qt_build)
    get_filename_component(SIFTA_QT_WINDOWS_PREFIX ${_sifta_qt_build} DIRECTORY)
  endif()
endif()
if(SIFTA_QT_WINDOWS_PREFIX AND EXISTS ${SIFTA_QT_WINDOWS_PREFIX}/lib/cmake/Qt6)
  list(APPEND CMAKE_FIND_ROOT_PATH ${SIFTA_QT_WINDOWS_PREFIX})
  list(APPEND CMAKE_PREFIX_PATH ${SIFTA_QT_WINDOWS_PREFIX})
  if(NOT QT_HOST_PATH)
    set(QT_HOST_PATH /usr)
  endif()
endif()

find_program(SIFTA_WINE NAMES wine wine64)
if(SIFTA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SIFTA_WINE})
endif()
