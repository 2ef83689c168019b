# The window icon as a C header: ImageMagick writes the XPM (itself C source),
# and the array gets a fixed name the game includes.
#   cmake -DCONVERT=.. -DPNG=.. -DOUT=.. -P xpm.cmake
set(tmp "${OUT}.xpm")
execute_process(COMMAND "${CONVERT}" "${PNG}" "${tmp}" RESULT_VARIABLE code ERROR_VARIABLE err)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "convert failed (${code}): ${err}")
endif()
file(READ "${tmp}" xpm)
string(REGEX REPLACE "static[^\n]*\\[\\] = {" "static const char *const APP_ICON_XPM[] = {" xpm "${xpm}")
if(NOT xpm MATCHES "APP_ICON_XPM")
  message(FATAL_ERROR "no XPM array in ${tmp}")
endif()
file(WRITE "${OUT}" "// Generated from the desktop icon at build time; do not edit.\n${xpm}")
file(REMOVE "${tmp}")
