# What `cmake --install` puts on a system and how `cpack -G DEB` packages it.
#
# Kept in one place rather than beside each target, so that this file is the
# whole list of what the package holds: the five programs in bin/ and one
# manual page each in share/man/man1/; liblzs, static and shared, in lib/
# with its header lzs.h, its pkg-config file lzs.pc, its CMake package
# (find_package(lzs CONFIG), targets lzs::lzs and lzs::lzs_static) and its
# manual page lzs(3). Nothing else is installed: the tests, benchmarks, fuzz
# targets and the programs' internal libraries stay in the build tree.
set(LZS_INSTALLED_PROGRAMS lzspack apppack chkpak appscramble lzsunpack)
if(WIN32)
  include(cmake/windows_package.cmake)
  return()
endif()
install(TARGETS ${LZS_INSTALLED_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
foreach(program IN LISTS LZS_INSTALLED_PROGRAMS)
  install(FILES ${CMAKE_SOURCE_DIR}/man/${program}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

install(TARGETS lzs_shared lzs_static EXPORT lzsTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${CMAKE_SOURCE_DIR}/include/lzs.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${CMAKE_SOURCE_DIR}/man/lzs.3 DESTINATION ${CMAKE_INSTALL_MANDIR}/man3)

# lzs.pc finds the prefix from its own place, so the tree works wherever it
# is installed or unpacked.
file(RELATIVE_PATH LZS_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" LZS_PC_TO_PREFIX "${LZS_PC_TO_PREFIX}")
configure_file(${CMAKE_SOURCE_DIR}/cmake/lzs.pc.in ${CMAKE_BINARY_DIR}/lzs.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/lzs.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

include(CMakePackageConfigHelpers)
set(LZS_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/lzs)
install(EXPORT lzsTargets NAMESPACE lzs:: DESTINATION ${LZS_CMAKE_DIR})
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/lzsConfig.cmake.in ${CMAKE_BINARY_DIR}/lzsConfig.cmake
  INSTALL_DESTINATION ${LZS_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/lzsConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/lzsConfig.cmake ${CMAKE_BINARY_DIR}/lzsConfigVersion.cmake
  DESTINATION ${LZS_CMAKE_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lzstools)
set(CPACK_PACKAGE_VENDOR "lzstools")
set(CPACK_PACKAGE_CONTACT "Seed b4515445 maintainers <maintainers@users.noreply.c-seed-b4515445.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "packers and scramblers that make a loader's compressed images")
set(CPACK_PACKAGE_DESCRIPTION [[
lzspack and apppack compress files and application executables with an
LZ77 codec and prove every output by decoding it again; chkpak and
appscramble turn their outputs into the loader's fixed-size scrambled
images; lzsunpack takes any of those images apart again. liblzs, with its
header, pkg-config file and CMake package, does the same in memory for
build tools that link it.]])
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The programs need only the C and C++ runtime. dpkg-shlibdeps (dpkg-dev)
# reads the exact versions from the binaries; without it, name the libraries.
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
endif()
include(CPack)
