# The allocator of the native programs: plumo, plumo-capture and the
# benchmark's programs, which measure what ships. Mesa's list compiler, GLU's
# tessellator and FreeType make many small allocations, and the glyph helpers
# free on one thread what another made: under glibc's malloc that was a third
# of building the font. mimalloc takes over malloc for the whole process,
# drivers included, when the program itself names it before libc. Programs
# that watch every block (memcheck's, the sanitizer builds) keep glibc's.
option(PLUMO_MIMALLOC "Link mimalloc as the native programs' allocator" ON)
if(PLUMO_MIMALLOC)
  find_package(mimalloc 2.0 REQUIRED)
endif()

# Keeps a library on a program's list of needed libraries even where the
# linker drops those whose symbols nobody names, as nobody names mimalloc's.
set(CMAKE_LINK_LIBRARY_USING_PLUMO_NO_AS_NEEDED
    "LINKER:--push-state,--no-as-needed" "<LINK_ITEM>" "LINKER:--pop-state")
set(CMAKE_LINK_LIBRARY_USING_PLUMO_NO_AS_NEEDED_SUPPORTED TRUE)

function(plumo_link_allocator target)
  if(PLUMO_MIMALLOC)
    target_link_libraries(${target} PRIVATE "$<LINK_LIBRARY:PLUMO_NO_AS_NEEDED,mimalloc>")
  endif()
endfunction()
