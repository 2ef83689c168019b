# The window's _NET_WM_ICON as a C header: for each size its width, its
# height, then its pixels as 0xAARRGGBB words, row by row.
#   cmake -DCONVERT=.. -DICONS=<dir with NxN/name.png> -DNAME=.. -DSIZES="16;32" -DOUT=.. -P neticon.cmake
set(body "")
foreach(size ${SIZES})
  set(png "${ICONS}/${size}x${size}/${NAME}.png")
  set(raw "${OUT}.${size}.rgba")
  execute_process(COMMAND "${CONVERT}" "${png}" -depth 8 "RGBA:${raw}" RESULT_VARIABLE code ERROR_VARIABLE err)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "convert failed on ${png} (${code}): ${err}")
  endif()
  file(READ "${raw}" hex HEX)
  file(REMOVE "${raw}")
  string(LENGTH "${hex}" digits)
  math(EXPR expected "${size} * ${size} * 8")
  if(NOT digits EQUAL expected)
    message(FATAL_ERROR "${png}: ${digits} hex digits, not ${expected}")
  endif()
  # R G B A bytes become one word A R G B.
  set(b "([0-9a-f][0-9a-f])")
  string(REGEX REPLACE "${b}${b}${b}${b}" "0x\\4\\1\\2\\3u," words "${hex}")
  string(REGEX REPLACE "(0x[0-9a-f]+u,0x[0-9a-f]+u,0x[0-9a-f]+u,0x[0-9a-f]+u,0x[0-9a-f]+u,0x[0-9a-f]+u,0x[0-9a-f]+u,0x[0-9a-f]+u,)"
         "\\1\n" words "${words}")
  string(APPEND body "${size}u, ${size}u,\n${words}\n")
endforeach()
file(WRITE "${OUT}" "// Generated from the desktop icon at build time; do not edit.\n#include <cstdint>\n\nstatic const uint32_t APP_ICON_NET[] = {\n${body}};\n")
