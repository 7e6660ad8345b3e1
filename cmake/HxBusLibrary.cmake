# Shared by every build of the board access library (the simulator in sim/,
# the Linux chip library in hw/).

# The library exports a function named _init, which on ELF systems is also the
# initialisation symbol. Leave crti.o's _init out and name an initialiser that
# does not exist, so the library carries no INIT entry and the loader never
# calls our _init at load time. Constructors still run from .init_array.
function(hxbus_without_elf_init target)
  if(UNIX AND NOT APPLE)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=crtbeginS.o
                    OUTPUT_VARIABLE crtbegin OUTPUT_STRIP_TRAILING_WHITESPACE)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=crtendS.o
                    OUTPUT_VARIABLE crtend OUTPUT_STRIP_TRAILING_WHITESPACE)
    target_sources(${target} PRIVATE ${crtbegin})
    target_link_libraries(${target} PRIVATE ${crtend})
    target_link_options(${target} PRIVATE -nostartfiles -Wl,-init,hxbus_no_such_initialiser)
  endif()
endfunction()
