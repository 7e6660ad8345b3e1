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

# A shared library that implements the entry points of core/hxbus_contract.h:
# it may include that header (and nothing else) from core/, exports the entry
# points listed after the target by their plain names, and has no ELF
# initialiser.
function(hxbus_board_library target)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/core)
  # It needs no library search path of its own, built or installed.
  set_target_properties(${target} PROPERTIES SKIP_BUILD_RPATH ON INSTALL_RPATH "")
  target_compile_definitions(${target} PRIVATE HXBUS_LIBRARY)
  # __stdcall names are decorated on 32-bit Windows (_init@8); the program looks
  # the entry points up by their plain names.
  if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    if(MSVC)
      set(def ${CMAKE_CURRENT_BINARY_DIR}/${target}.def)
      file(WRITE ${def} "EXPORTS\n")
      foreach(name ${ARGN})
        file(APPEND ${def} "    ${name}\n")
      endforeach()
      target_sources(${target} PRIVATE ${def})
    else()
      target_link_options(${target} PRIVATE -Wl,--kill-at)
    endif()
  endif()
  hxbus_without_elf_init(${target})
endfunction()
