# The version set in the build is the one the Debian changelog, the newest
# metainfo release and the manual page carry, with the same release date.
#   cmake -DVERSION=.. -DRELEASE_DATE=.. -DCHANGELOG=.. -DMETAINFO=.. -DMANUAL=.. -DMAN=.. -P version.cmake
cmake_minimum_required(VERSION 3.16)
set(problems "")
macro(problem text)
  string(APPEND problems "  ${text}\n")
endmacro()
macro(agree what version date)
  if(NOT "${version}" STREQUAL VERSION)
    problem("${what} says ${version}")
  endif()
  if(NOT "${date}" STREQUAL RELEASE_DATE)
    problem("${what} is dated ${date}")
  endif()
endmacro()

# Debian: the first line, "paperlune (VERSION) unstable; urgency=medium".
file(STRINGS "${CHANGELOG}" first LIMIT_COUNT 1)
if(NOT first MATCHES "^paperlune \\(([^)]+)\\)")
  problem("debian/changelog starts with no version: ${first}")
elseif(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  problem("debian/changelog says ${CMAKE_MATCH_1}")
endif()

# Metainfo: the first release listed is the newest.
file(READ "${METAINFO}" meta)
if(NOT meta MATCHES "<release version=\"([^\"]+)\" date=\"([^\"]+)\"")
  problem("the metainfo lists no release")
else()
  agree("the metainfo's newest release" "${CMAKE_MATCH_1}" "${CMAKE_MATCH_2}")
endif()

# Manual page: .TH PAPERLUNE 6 "DATE" "Paperlune VERSION" "Games"
file(STRINGS "${MANUAL}" th REGEX "^\\.TH ")
if(NOT th MATCHES "^\\.TH PAPERLUNE 6 \"([^\"]+)\" \"Paperlune ([^\"]+)\"")
  problem("the manual page has no title line with a version: ${th}")
else()
  agree("the manual page" "${CMAKE_MATCH_2}" "${CMAKE_MATCH_1}")
endif()

# The page renders without a single complaint from the formatter.
if(MAN)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env LC_ALL=C.UTF-8 MANWIDTH=80
                          "${MAN}" --warnings -E UTF-8 -l -Tutf8 -Z "${MANUAL}"
                  RESULT_VARIABLE code OUTPUT_QUIET ERROR_VARIABLE complaints)
  if(NOT code EQUAL 0 OR complaints)
    problem("the manual page does not render cleanly (${code}):\n${complaints}")
  endif()
else()
  problem("man is not installed (man-db), so the manual page was not checked")
endif()

if(problems)
  message(FATAL_ERROR "Version ${VERSION} of ${RELEASE_DATE}:\n${problems}")
endif()
message(STATUS "version ${VERSION} of ${RELEASE_DATE} everywhere")
