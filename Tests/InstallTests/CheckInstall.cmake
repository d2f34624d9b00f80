# SPDX-License-Identifier: MIT
# Installs the build into PREFIX and checks what landed there: `arvelo` without debug sections
# or a symbol table (the build's copy keeps them), the icon and both desktop entries.
# Expects BUILD_DIR, PREFIX and READELF.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

set(program "${PREFIX}/bin/arvelo")
foreach(file "${program}" "${PREFIX}/share/icons/hicolor/scalable/apps/org.vomira.Arvelo.svg"
        "${PREFIX}/share/applications/org.vomira.Arvelo.desktop"
        "${PREFIX}/share/applications/org.vomira.Arvelo.UrlHandler.desktop")
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

execute_process(COMMAND "${READELF}" -S -W "${program}" OUTPUT_VARIABLE sections RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "readelf cannot read ${program}")
endif()
foreach(section .debug_info .debug_line .symtab)
  string(FIND "${sections}" " ${section} " at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "the installed arvelo still has ${section}")
  endif()
endforeach()
file(SIZE "${program}" size)
message(STATUS "installed arvelo: ${size} bytes")
