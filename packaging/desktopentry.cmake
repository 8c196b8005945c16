# Runs at install time: writes the desktop entry for the prefix being
# installed to and installs it. Expects VOTKBOX_DESKTOP_IN and VOTKBOX_DESKTOP.
set(launcher "${CMAKE_INSTALL_PREFIX}/bin/votkbox-launch")
# Quoted as a desktop entry's Exec argument (\ " ` $ escaped, % doubled), then
# every backslash doubled once more for the key's own string escapes.
string(REPLACE "\\" "\\\\" launcher "${launcher}")
string(REPLACE "\"" "\\\"" launcher "${launcher}")
string(REPLACE "`" "\\`" launcher "${launcher}")
string(REPLACE "$" "\\$" launcher "${launcher}")
string(REPLACE "%" "%%" launcher "${launcher}")
set(VOTKBOX_EXEC "\"${launcher}\"")
string(REPLACE "\\" "\\\\" VOTKBOX_EXEC "${VOTKBOX_EXEC}")
configure_file("${VOTKBOX_DESKTOP_IN}" "${VOTKBOX_DESKTOP}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE
     FILES "${VOTKBOX_DESKTOP}")
