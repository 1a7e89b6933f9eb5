# Warnings for the project's own targets.
option(PLUMO_WERROR "Treat warnings as errors" OFF)

function(plumo_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive-)
    if(PLUMO_WERROR)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                                              -Wnon-virtual-dtor -Wcast-qual -Wformat=2)
    if(PLUMO_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()
