# What `cmake --install` puts on a system and how `cpack -G DEB` packages it.
#
# Kept in one place rather than beside each target, so that this file is the
# whole list of what the package holds: the five programs in bin/, one
# manual page each in share/man/man1/ (compressed, as Debian has them), and
# in share/doc/lzstools/ the licence (copyright) and the release history
# (changelog.gz, from cmake/debian-changelog); liblzs, static and shared, in
# lib/ with its header lzs.h, its pkg-config file lzs.pc, its CMake package
# (find_package(lzs CONFIG), targets lzs::lzs and lzs::lzs_static) and its
# manual page lzs(3). Nothing else is installed: the tests, benchmarks, fuzz
# targets and the programs' internal libraries stay in the build tree.
set(LZS_INSTALLED_PROGRAMS lzspack apppack chkpak appscramble lzsunpack)
if(WIN32)
  include(cmake/windows_package.cmake)
  return()
endif()
install(TARGETS ${LZS_INSTALLED_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The manual pages and the changelog gzip-compressed at build time; -n
# leaves the name and the time out, so a file always compresses to the same
# bytes.
find_program(LZS_GZIP gzip REQUIRED)
function(lzs_compress source compressed)
  get_filename_component(directory ${compressed} DIRECTORY)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${directory}
    COMMAND ${LZS_GZIP} -9nc ${source} > ${compressed}
    DEPENDS ${source} VERBATIM)
endfunction()
set(compressed_pages "")
foreach(program IN LISTS LZS_INSTALLED_PROGRAMS)
  lzs_compress(${CMAKE_SOURCE_DIR}/man/${program}.1 ${CMAKE_BINARY_DIR}/man/${program}.1.gz)
  list(APPEND compressed_pages ${CMAKE_BINARY_DIR}/man/${program}.1.gz)
endforeach()
install(FILES ${compressed_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Read at configure time: the changelog, whose newest entry must be this
# version, and the licence below.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/cmake/debian-changelog)
file(STRINGS ${CMAKE_SOURCE_DIR}/cmake/debian-changelog newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^lzstools \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "cmake/debian-changelog starts with '${newest}', not an entry for ${PROJECT_VERSION}")
endif()
lzs_compress(${CMAKE_SOURCE_DIR}/cmake/debian-changelog ${CMAKE_BINARY_DIR}/doc/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/doc/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
add_custom_target(compressed_documents ALL DEPENDS ${compressed_pages} ${CMAKE_BINARY_DIR}/man/lzs.3.gz
                                                   ${CMAKE_BINARY_DIR}/doc/changelog.gz)

# The licence as Debian's machine-readable copyright file: LICENSE's terms
# under "License: Expat" (Debian's name for this MIT licence), each line
# indented by one space and an empty line written " .".
file(READ ${CMAKE_SOURCE_DIR}/LICENSE licence)
string(FIND "${licence}" "Permission is hereby granted" terms_start)
string(SUBSTRING "${licence}" ${terms_start} -1 terms)
string(STRIP "${terms}" terms)
string(REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REPLACE "\n" "\n " terms "${terms}")
set(LZS_MAINTAINER "lzstools maintainers <maintainers@lzstools.org>")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/doc/copyright CONTENT [[
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: lzstools
Upstream-Contact: ${LZS_MAINTAINER}

Files: *
Copyright: 2026 The lzstools developers
License: Expat
 ${terms}
]])
install(FILES ${CMAKE_BINARY_DIR}/doc/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

install(TARGETS lzs_shared lzs_static EXPORT lzsTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${CMAKE_SOURCE_DIR}/include/lzs.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
lzs_compress(${CMAKE_SOURCE_DIR}/man/lzs.3 ${CMAKE_BINARY_DIR}/man/lzs.3.gz)
install(FILES ${CMAKE_BINARY_DIR}/man/lzs.3.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man3)

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
set(CPACK_PACKAGE_VENDOR "The lzstools developers")
set(CPACK_PACKAGE_CONTACT "${LZS_MAINTAINER}")
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
# liblzs.so.1 in the same package: its shlibs entry, the ldconfig trigger,
# and lintian's word on what a package of tools and library together is
# (cmake/debian/lintian-overrides).
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/cmake/debian/triggers)
install(FILES ${CMAKE_SOURCE_DIR}/cmake/debian/lintian-overrides DESTINATION share/lintian/overrides
        RENAME lzstools)
# The programs need only the C and C++ runtime. dpkg-shlibdeps (dpkg-dev)
# reads the exact versions from the binaries; without it, name the libraries.
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
endif()
include(CPack)
