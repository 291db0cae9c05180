# What a Windows build (MinGW-w64, cross or native) adds to the common flags.
# Kept here rather than in the sources, which never know the system they run on.

# MinGW's own C99 printf instead of the old MSVCRT one, which knows no %zu
# and %lld and writes three-digit exponents: the programs then print the same
# bytes as on any other system.
add_compile_definitions(__USE_MINGW_ANSI_STDIO=1)
# MSVCRT has no unlocked fwrite; the locked one writes the same bytes, and the
# programs have a single thread.
add_compile_definitions(fwrite_unlocked=fwrite)
# Unicode names (wide APIs) and no min/max macros from windows.h.
add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)
# Every runtime inside the .exe (libgcc, libstdc++, winpthread): each program
# runs on a plain Windows installation with nothing beside it.
add_link_options(-static -static-libgcc -static-libstdc++)
# MinGW's GCC checks format(printf) attributes against MSVCRT's printf, which
# knows no %zu, although the build uses the C99 one above. The same format
# strings are checked by every other build.
add_compile_options(-Wno-format)
