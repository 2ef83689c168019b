# Renders every picture again into a scratch directory, packs it, and checks
# that the result is byte for byte the game.dat the build made.
#   cmake -DSRC_DIR=.. -DWORK_DIR=.. -DRSVG=.. -DCONVERT=.. -DMKDAT=.. -DEXPECTED=.. -P reproduce.cmake
include("${CMAKE_CURRENT_LIST_DIR}/render.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/pictures.cmake")

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
# Pages come before their sprites in the table, so one pass in order will do.
foreach(row ${PICTURE_TABLE})
  separate_arguments(fields UNIX_COMMAND "${row}")
  list(GET fields 1 kind)
  list(GET fields 2 name)
  render_picture(${kind} ${name} "${SRC_DIR}" "${WORK_DIR}" "${RSVG}" "${CONVERT}")
endforeach()
picture_manifest("${WORK_DIR}" manifest)
file(WRITE "${WORK_DIR}/manifest.txt" "${manifest}")
run_checked("${MKDAT}" "${WORK_DIR}/game.dat" "${WORK_DIR}/manifest.txt")
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORK_DIR}/game.dat" "${EXPECTED}"
                RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "a second rendering gave a different game.dat than ${EXPECTED}")
endif()
message(STATUS "second rendering matches ${EXPECTED}")
