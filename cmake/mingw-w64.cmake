# Cross-builds the tool chain for 64-bit Windows with Debian's MinGW-w64
# compilers (package g++-mingw-w64-x86-64), and runs what it builds under
# Wine, so that ctest and the test discovery work as on a native build:
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
#
# The posix thread model is the one whose C++ runtime has std::thread and
# std::mutex. cmake/windows.cmake holds what every Windows build adds, cross
# or native (static runtimes among it).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LZS_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LZS_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LZS_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${LZS_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LZS_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Wine's prefix (its C: drive and registry) lives in the build directory, so
# that a build never touches the user's own and a fresh one starts clean;
# Wine's debugging chatter would only clutter the tests' output.
find_program(LZS_WINE NAMES wine wine64)
if(LZS_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR env WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix WINEDEBUG=-all ${LZS_WINE})
endif()
