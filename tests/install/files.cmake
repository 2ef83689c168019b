# What the install put under the prefix: exactly the expected files, fonts
# linked to the system's font packages, icons of the sizes their folders say,
# a desktop entry and metainfo that their validators accept, and an executable
# without a path of the tree it was built in.
#   cmake -DPREFIX=.. -DBUILD_DIR=.. -DAPP_ID=.. -DIDENTIFY=.. -DDESKTOP_FILE_VALIDATE=.. -DAPPSTREAMCLI=.. -P files.cmake
cmake_minimum_required(VERSION 3.16)
set(ICON_SIZES 16 22 24 32 48 64 128 256 512)
set(expected
  "games/paperlune"
  "share/games/paperlune/game.dat"
  "share/games/paperlune/Fonts/typewriter.ttf"
  "share/games/paperlune/Fonts/engeregu.ttf"
  "share/games/paperlune/Sound/type.wav"
  "share/games/paperlune/Sound/bell.wav"
  "share/games/paperlune/music/Vantu - letters.ogg"
  "share/games/paperlune/music/Vantu - htype.ogg"
  "share/games/paperlune/music/Vantu - aonet.ogg"
  "share/applications/${APP_ID}.desktop"
  "share/metainfo/${APP_ID}.metainfo.xml"
  "share/man/man6/paperlune.6"
  "share/icons/hicolor/scalable/apps/${APP_ID}.svg"
  "share/doc/paperlune/LICENSE"
  "share/doc/paperlune/fonts/LICENSE-CourierPrime.txt"
  "share/doc/paperlune/fonts/LICENSE-Vollkorn.txt")
foreach(size ${ICON_SIZES})
  list(APPEND expected "share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png")
endforeach()

set(problems "")
macro(problem text)
  string(APPEND problems "  ${text}\n")
endmacro()

file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE "${PREFIX}" "${PREFIX}/*")
list(SORT installed)
list(SORT expected)
foreach(f ${expected})
  if(NOT f IN_LIST installed)
    problem("missing: ${f}")
  endif()
endforeach()
foreach(f ${installed})
  if(NOT f IN_LIST expected)
    problem("not expected: ${f}")
  endif()
endforeach()

execute_process(COMMAND test -x "${PREFIX}/games/paperlune" RESULT_VARIABLE code)
if(NOT code EQUAL 0)
  problem("games/paperlune is not executable")
endif()
file(STRINGS "${PREFIX}/games/paperlune" build_paths REGEX "${BUILD_DIR}/data")
if(build_paths)
  problem("the executable names the build tree's data: ${build_paths}")
endif()

foreach(font typewriter engeregu)
  set(f "${PREFIX}/share/games/paperlune/Fonts/${font}.ttf")
  if(NOT IS_SYMLINK "${f}")
    problem("${font}.ttf is a copy, not a link to the font package's file")
  elseif(NOT EXISTS "${f}")
    problem("${font}.ttf links to nothing")
  endif()
endforeach()

foreach(size ${ICON_SIZES})
  set(png "${PREFIX}/share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png")
  execute_process(COMMAND "${IDENTIFY}" -format "%wx%h" "${png}" OUTPUT_VARIABLE dims ERROR_QUIET)
  if(NOT dims STREQUAL "${size}x${size}")
    problem("icon ${size}x${size} is ${dims}")
  endif()
endforeach()

# A validator's warnings count as much as its errors. (A macro: problem()
# must reach this scope's list.)
macro(validate what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE out)
  string(REGEX MATCHALL "(^|\n)(E|W): [^\n]*|(error|warning): [^\n]*" complaints "${out}")
  if(NOT code EQUAL 0 OR complaints)
    problem("${what} (exit ${code}):\n${out}")
  endif()
endmacro()
set(desktop "${PREFIX}/share/applications/${APP_ID}.desktop")
set(metainfo "${PREFIX}/share/metainfo/${APP_ID}.metainfo.xml")
validate("desktop entry" "${DESKTOP_FILE_VALIDATE}" "${desktop}")
validate("metainfo" "${APPSTREAMCLI}" validate --no-net "${metainfo}")

# The entry starts the installed game and shows the installed icon; the
# metainfo launches that entry.
file(STRINGS "${desktop}" exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=${PREFIX}/games/paperlune")
  problem("desktop entry: ${exec}")
endif()
file(STRINGS "${desktop}" icon REGEX "^Icon=")
if(NOT icon STREQUAL "Icon=${APP_ID}")
  problem("desktop entry: ${icon}")
endif()
file(READ "${metainfo}" meta)
if(NOT meta MATCHES "<launchable type=\"desktop-id\">${APP_ID}.desktop</launchable>")
  problem("metainfo does not launch ${APP_ID}.desktop")
endif()

if(problems)
  message(FATAL_ERROR "The installed files under ${PREFIX}:\n${problems}")
endif()
list(LENGTH installed count)
message(STATUS "${count} files installed as expected")
