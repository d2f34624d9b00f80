# SPDX-License-Identifier: MIT
# Runs at install time: writes the desktop entries with the installed program's absolute path
# (the prefix given to `cmake --install` counts, not the one configured), quoted when the path
# needs it: a double-quoted argument escapes '"', '`', '$' and '\'; a desktop entry value then
# doubles '\'; Exec writes '%' as '%%'. Expects ARVELO_ENTRY_SOURCES, ARVELO_BINDIR, ARVELO_DATADIR.
if(IS_ABSOLUTE "${ARVELO_BINDIR}")
  set(exec_path "${ARVELO_BINDIR}/arvelo")
else()
  set(exec_path "${CMAKE_INSTALL_PREFIX}/${ARVELO_BINDIR}/arvelo")
endif()
if(exec_path MATCHES "[ \t\"'\\\\><~|&;$*?#()`]")
  string(REPLACE "\\" "\\\\" exec_path "${exec_path}")
  string(REPLACE "\"" "\\\"" exec_path "${exec_path}")
  string(REPLACE "`" "\\`" exec_path "${exec_path}")
  string(REPLACE "$" "\\$" exec_path "${exec_path}")
  set(exec_path "\"${exec_path}\"")
  string(REPLACE "\\" "\\\\" exec_path "${exec_path}")
endif()
string(REPLACE "%" "%%" ARVELO_EXEC "${exec_path}")

if(IS_ABSOLUTE "${ARVELO_DATADIR}")
  set(applications "$ENV{DESTDIR}${ARVELO_DATADIR}/applications")
else()
  set(applications "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${ARVELO_DATADIR}/applications")
endif()
foreach(entry org.vomira.Arvelo org.vomira.Arvelo.UrlHandler)
  message(STATUS "Installing: ${applications}/${entry}.desktop")
  configure_file("${ARVELO_ENTRY_SOURCES}/${entry}.desktop.in" "${applications}/${entry}.desktop" @ONLY)
endforeach()
