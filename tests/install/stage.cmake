# Builds the game as a packager would, for a prefix inside the test's work
# directory, installs it into a DESTDIR, and then moves the staged tree to the
# prefix it was built for, as unpacking a package does. The tests that follow
# run the game from there.
# It takes the data that DATA_DIR holds, and compiles through LAUNCHER (the
# first build's, "" for none).
#   cmake -DSOURCE_DIR=.. -DWORK_DIR=.. -DBUILD_TYPE=.. -DJOBS=.. -DDATA_DIR=.. -DLAUNCHER=.. -P stage.cmake
cmake_minimum_required(VERSION 3.16)
set(build "${WORK_DIR}/build")
set(root "${WORK_DIR}/root")
set(prefix "${root}/usr")
set(destdir "${WORK_DIR}/destdir")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "failed (${code}): ${ARGN}\n${out}")
  endif()
endfunction()

file(REMOVE_RECURSE "${root}" "${destdir}")
run(${CMAKE_COMMAND} -S "${SOURCE_DIR}" -B "${build}" "-DCMAKE_BUILD_TYPE=${BUILD_TYPE}"
    "-DCMAKE_INSTALL_PREFIX=${prefix}" -DPAPERLUNE_BUILD_TREE_DATA=OFF
    -DBUILD_TESTING=OFF -DPAPERLUNE_BENCH=OFF "-DPAPERLUNE_DATA_DIR=${build}/data"
    "-DPAPERLUNE_PREBUILT_DATA=${DATA_DIR}" "-DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER}"
    "-DCMAKE_C_COMPILER_LAUNCHER=${LAUNCHER}")
run(${CMAKE_COMMAND} --build "${build}" -j${JOBS})
run(${CMAKE_COMMAND} -E env "DESTDIR=${destdir}" ${CMAKE_COMMAND} --install "${build}")

if(EXISTS "${root}")
  message(FATAL_ERROR "the install wrote outside DESTDIR: ${root}")
endif()
if(NOT IS_DIRECTORY "${destdir}${prefix}")
  message(FATAL_ERROR "nothing installed under DESTDIR: ${destdir}${prefix}")
endif()
file(MAKE_DIRECTORY "${root}")
file(RENAME "${destdir}${prefix}" "${prefix}")
message(STATUS "staged ${prefix}")
