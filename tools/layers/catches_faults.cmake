# The layer check run on small trees made here, each with one kind of fault
# or none: its exit code, and the fault named where it stands.
#   cmake -DLAYERS=<layers binary> -DWORK_DIR=<scratch directory> -P catches_faults.cmake
cmake_minimum_required(VERSION 3.16)

set(failures 0)

# A tree of files: pairs of a path under the tree and its text.
function(make_tree name)
  set(tree "${WORK_DIR}/${name}")
  file(REMOVE_RECURSE "${tree}")
  file(MAKE_DIRECTORY "${tree}")
  set(args ${ARGN})
  list(LENGTH args count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET args ${i} path)
    list(GET args ${j} text)
    file(WRITE "${tree}/${path}" "${text}")
  endforeach()
endfunction()

# Runs the check on a tree: it must exit with `code` (0, or non-zero for
# anything else) and print every one of the given lines.
function(expect name code)
  execute_process(COMMAND "${LAYERS}" "${WORK_DIR}/${name}"
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(ok TRUE)
  if(code STREQUAL "0" AND NOT result STREQUAL "0")
    set(ok FALSE)
  elseif(NOT code STREQUAL "0" AND (result STREQUAL "0" OR NOT result MATCHES "^[0-9]+$"))
    set(ok FALSE)
  endif()
  foreach(line ${ARGN})
    string(FIND "${out}" "${line}\n" at)
    if(at EQUAL -1)
      set(ok FALSE)
      message("${name}: no line \"${line}\"")
    endif()
  endforeach()
  if(NOT ok)
    message("${name}: exit ${result}, expected ${code}; it printed:\n${out}${err}")
    math(EXPR n "${failures} + 1")
    set(failures ${n} PARENT_SCOPE)
  endif()
endfunction()

# (a) Upward: a player module including the shell's menu, and platform and
# records reaching up for the shell's resource globals, which no layer below
# the shell may read.
make_tree(upward
  "player/walk.h" "#pragma once\n"
  "player/walk.cpp" "#include \"player/walk.h\"\n\n#include \"shell/menu.h\"\n"
  "platform/screen.cpp" "#include <cstdio>\n#include \"shell/globals.h\"\n"
  "records/save.cpp" "#include \"shell/globals.h\"\n"
  "shell/menu.h" "#pragma once\n"
  "shell/globals.h" "#pragma once\n")
expect(upward 1
  "upward: player/walk -> shell/menu (player/walk.cpp:3)"
  "upward: platform/screen -> shell/globals (platform/screen.cpp:2)"
  "upward: records/save -> shell/globals (records/save.cpp:1)")

# (b) Two files that include each other, one of them by its name beside it.
make_tree(two
  "story/page.h" "#pragma once\n#include \"story/book.h\"\n"
  "story/book.h" "#pragma once\n// a comment first\n#include \"page.h\"\n")
expect(two 1
  "circle: story/book -> story/page -> story/book"
  "  story/book -> story/page (story/book.h:3)"
  "  story/page -> story/book (story/page.h:2)")

# (c) Three modules in a circle, each arrow from a source file to a header,
# across the two directories of one layer.
make_tree(three
  "presentation/ink.h" "#pragma once\n"
  "presentation/ink.cpp" "#include \"presentation/ink.h\"\n#include \"presentation/pen.h\"\n"
  "presentation/pen.h" "#pragma once\n"
  "presentation/pen.cpp" "#include \"presentation/pen.h\"\n#include \"story/word.h\"\n"
  "story/word.h" "#pragma once\n"
  "story/word.cpp" "#include \"story/word.h\"\n\n#include \"presentation/ink.h\"\n")
expect(three 1
  "circle: presentation/ink -> presentation/pen -> story/word -> presentation/ink"
  "  story/word -> presentation/ink (story/word.cpp:3)")

# (d) Clean: includes go down or stay level, the shell reads its own
# globals, a module's source includes its own header, and what names no
# file under the tree (a generated header, a system one) is passed over.
make_tree(clean
  "platform/screen.h" "#pragma once\n"
  "platform/screen.cpp" "#include \"platform/screen.h\"\n#include \"generated_icon.h\"\n#include <cstdio>\n"
  "presentation/ink.cpp" "#include \"platform/screen.h\"\n#include \"story/word.h\"\n"
  "story/word.h" "#pragma once\n"
  "records/save.cpp" "#include \"story/word.h\"\n/* #include \"shell/menu.h\" */\n// #include \"shell/menu.h\"\n"
  "player/walk.cpp" "#include \"records/save.h\"\n#include \"presentation/ink.h\"\n"
  "presentation/ink.h" "#pragma once\n"
  "shell/main.cpp" "#include \"shell/globals.h\"\n#include \"shell/menu.h\"\n"
  "records/save.h" "#pragma once\n"
  "shell/globals.h" "#pragma once\n#include \"platform/screen.h\"\n"
  "shell/menu.h" "#pragma once\n#include \"player/walk.h\"\n"
  "player/walk.h" "#pragma once\n")
expect(clean 0)
execute_process(COMMAND "${LAYERS}" "${WORK_DIR}/clean" OUTPUT_VARIABLE out)
string(REGEX MATCHALL "\n" lines "${out}")
list(LENGTH lines count)
if(NOT count EQUAL 1 OR NOT out MATCHES "^layers: ")
  message("clean: not one summary line:\n${out}")
  math(EXPR failures "${failures} + 1")
endif()

# (e) A directory the layer order does not know: its modules would escape
# the check, so they are named.
make_tree(unknown
  "platform/screen.h" "#pragma once\n"
  "extras/note.cpp" "#include \"platform/screen.h\"\n")
expect(unknown 1 "outside the layers: extras/note")

if(failures GREATER 0)
  message(FATAL_ERROR "trees judged wrongly: ${failures}")
endif()
message("every tree was judged right")
