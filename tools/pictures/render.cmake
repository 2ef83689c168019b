# How one picture is made from its SVG; shared by the build and by the
# reproducibility test so that both run exactly the same commands.
#   render_picture(KIND NAME SRC_DIR OUT_DIR RSVG CONVERT)
# leaves OUT_DIR/NAME.png (rendered), and the file for the packer in
# picture_file(): NAME.jpg for jpeg, NAME.sprite.png for sprites.

set(PICTURES_TOOL_DIR "${CMAKE_CURRENT_LIST_DIR}")

function(picture_file KIND NAME OUT_DIR RESULT)
  if(KIND STREQUAL "jpeg")
    set(${RESULT} "${OUT_DIR}/${NAME}.jpg" PARENT_SCOPE)
  elseif(KIND MATCHES "^sprite:")
    set(${RESULT} "${OUT_DIR}/${NAME}.sprite.png" PARENT_SCOPE)
  else()
    set(${RESULT} "${OUT_DIR}/${NAME}.png" PARENT_SCOPE)
  endif()
endfunction()

function(run_checked)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE code ERROR_VARIABLE err)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "failed (${code}): ${ARGN}\n${err}")
  endif()
endfunction()

function(render_picture KIND NAME SRC_DIR OUT_DIR RSVG CONVERT)
  include("${PICTURES_TOOL_DIR}/pictures.cmake")
  file(MAKE_DIRECTORY "${OUT_DIR}")
  set(png "${OUT_DIR}/${NAME}.png")
  run_checked("${RSVG}" --format=png -o "${png}" "${SRC_DIR}/${NAME}.svg")
  if(KIND STREQUAL "jpeg")
    # Baseline, full-resolution colour, no metadata: the same bytes every time.
    run_checked("${CONVERT}" "${png}" -strip -alpha off -interlace none
                -sampling-factor 1x1 -quality ${JPEG_QUALITY} "${OUT_DIR}/${NAME}.jpg")
  elseif(KIND MATCHES "^sprite:(.*)$")
    set(page "${OUT_DIR}/${CMAKE_MATCH_1}.png")
    # Lay the sprite over its part of the page, then keep every pixel the
    # sprite touches at all plus a rim of bare desk, so that soft edges and
    # glows end in the page's own pixels; the packer masks out the rest.
    run_checked("${CONVERT}" "${page}" -crop ${SPRITE_GEOMETRY} +repage
                "${png}" -compose over -composite
                "(" "${png}" -alpha extract -threshold 1% -morphology Dilate Disk:${SPRITE_RIM} ")"
                -alpha off -compose CopyOpacity -composite
                -strip "PNG32:${OUT_DIR}/${NAME}.sprite.png")
  endif()
endfunction()

# The packer's manifest: one "INDEX KIND PATH" line per position.
function(picture_manifest OUT_DIR RESULT)
  include("${PICTURES_TOOL_DIR}/pictures.cmake")
  set(text "# game.dat: position, stored kind, file\n")
  foreach(row ${PICTURE_TABLE})
    separate_arguments(fields UNIX_COMMAND "${row}")
    list(GET fields 0 index)
    list(GET fields 1 kind)
    list(GET fields 2 name)
    picture_file(${kind} ${name} "${OUT_DIR}" file)
    if(kind STREQUAL "jpeg")
      set(stored jpeg)
    else()
      set(stored bitmap)
    endif()
    string(APPEND text "${index} ${stored} ${file}\n")
  endforeach()
  set(${RESULT} "${text}" PARENT_SCOPE)
endfunction()

# Script mode: cmake -DKIND=.. -DNAME=.. -DSRC_DIR=.. -DOUT_DIR=.. -DRSVG=.. -DCONVERT=.. -P render.cmake
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE AND DEFINED NAME)
  render_picture("${KIND}" "${NAME}" "${SRC_DIR}" "${OUT_DIR}" "${RSVG}" "${CONVERT}")
endif()
