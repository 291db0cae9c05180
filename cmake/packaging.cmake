# What `cmake --install` puts on a system and how `cpack -G DEB` packages it.
#
# Kept in one place rather than beside each target, so that this file is the
# whole list of what the package holds: the five programs in bin/ and one
# manual page each in share/man/man1/. Nothing else is installed: the tests,
# benchmarks, fuzz targets and the static libraries stay in the build tree.
include(GNUInstallDirs)

set(LZS_INSTALLED_PROGRAMS lzspack apppack chkpak appscramble lzsunpack)
if(WIN32)
  include(cmake/windows_package.cmake)
  return()
endif()
install(TARGETS ${LZS_INSTALLED_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
foreach(program IN LISTS LZS_INSTALLED_PROGRAMS)
  install(FILES ${CMAKE_SOURCE_DIR}/man/${program}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lzstools)
set(CPACK_PACKAGE_VENDOR "lzstools")
set(CPACK_PACKAGE_CONTACT "Seed b4515445 maintainers <maintainers@users.noreply.c-seed-b4515445.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "packers and scramblers that make a loader's compressed images")
set(CPACK_PACKAGE_DESCRIPTION [[
lzspack and apppack compress files and application executables with an
LZ77 codec and prove every output by decoding it again; chkpak and
appscramble turn their outputs into the loader's fixed-size scrambled
images; lzsunpack takes any of those images apart again.]])
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
