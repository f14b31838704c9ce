# Runs at install time: writes noterra.desktop into the install prefix from its template, with
# the absolute path of the installed program. The icon goes by its theme name, so that each
# desktop picks the size it draws.
get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)

# Exec takes a quoted argument, where backslash, double quote, backquote and dollar need a
# backslash that the desktop entry's own string escaping doubles again, and % is doubled.
set(exec "${prefix}/noterra")
string(REPLACE "\\" "\\\\\\\\" exec "${exec}")
foreach(special "\"" "`" "$")
    string(REPLACE "${special}" "\\\\${special}" exec "${exec}")
endforeach()
string(REPLACE "%" "%%" exec "${exec}")
set(NOTERRA_EXEC "\"${exec}\"")

set(target "$ENV{DESTDIR}${prefix}/noterra.desktop")
message(STATUS "Installing: ${target}")
configure_file("${CMAKE_CURRENT_LIST_DIR}/noterra.desktop.in" "${target}" @ONLY)
