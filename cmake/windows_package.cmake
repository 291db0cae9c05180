# The Windows package: `cpack -G ZIP` gives lzstools-VERSION-win64.zip, one
# folder with the five programs, the README, the LICENSE, and each manual
# page rendered as plain text (Windows has no man), made by groff at build
# time from the same sources as the Linux pages; and liblzs as lzs.dll beside
# the programs, its import library lib/liblzs.dll.a and include/lzs.h, with
# lzs(3) as text too.
find_program(LZS_GROFF groff REQUIRED)
set(rendered_pages "")
foreach(page_name IN LISTS LZS_INSTALLED_PROGRAMS ITEMS lzs)
  set(page ${CMAKE_SOURCE_DIR}/man/${page_name}.1)
  if(page_name STREQUAL "lzs")
    set(page ${CMAKE_SOURCE_DIR}/man/lzs.3)
  endif()
  set(text ${CMAKE_BINARY_DIR}/man/${page_name}.txt)
  # -P-cbou: no escape sequences and no overstriking, only the characters.
  add_custom_command(OUTPUT ${text}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${LZS_GROFF} -man -Tutf8 -P-cbou ${page} > ${text}
    DEPENDS ${page} VERBATIM)
  list(APPEND rendered_pages ${text})
endforeach()
add_custom_target(manual_pages_as_text ALL DEPENDS ${rendered_pages})

install(TARGETS ${LZS_INSTALLED_PROGRAMS} RUNTIME DESTINATION .)
install(TARGETS lzs_shared RUNTIME DESTINATION . ARCHIVE DESTINATION lib)
install(FILES ${CMAKE_SOURCE_DIR}/include/lzs.h DESTINATION include)
install(FILES ${rendered_pages} ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME lzstools)
set(CPACK_PACKAGE_FILE_NAME lzstools-${PROJECT_VERSION}-win64)
set(CPACK_STRIP_FILES ON)
include(CPack)
