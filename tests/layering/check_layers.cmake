cmake_minimum_required(VERSION 3.25)
# Dependencies run one way: each directory below may include only the
# directories its line names (and itself). Run with
#   cmake -DSOURCE_DIR=<tree> -P check_layers.cmake
# It prints every include that crosses a layer the wrong way and fails.
set(layers
  "platform/base:"
  "platform/text:platform/base"
  "platform/os:platform/base"
  "platform/dialogs:platform/base"
  "platform/dataset:platform/base,platform/text,platform/os"
  "utility:platform"
)

set(violations 0)
foreach(entry ${layers})
  string(REPLACE ":" ";" parts "${entry}")
  list(GET parts 0 dir)
  list(LENGTH parts n)
  set(allowed "${dir}")
  if(n GREATER 1)
    list(GET parts 1 more)
    string(REPLACE "," ";" more "${more}")
    list(APPEND allowed ${more})
  endif()
  file(GLOB_RECURSE files "${SOURCE_DIR}/${dir}/*.h" "${SOURCE_DIR}/${dir}/*.cpp")
  foreach(file ${files})
    file(STRINGS "${file}" includes REGEX "^#include \"[^\"]+\"")
    foreach(line ${includes})
      string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" header "${line}")
      # Only the project's own headers have a directory in their name.
      if(NOT header MATCHES "/")
        continue()
      endif()
      set(ok FALSE)
      foreach(prefix ${allowed})
        string(LENGTH "${prefix}/" len)
        string(SUBSTRING "${header}" 0 ${len} head)
        if(head STREQUAL "${prefix}/")
          set(ok TRUE)
        endif()
      endforeach()
      if(NOT ok)
        file(RELATIVE_PATH rel "${SOURCE_DIR}" "${file}")
        message("${rel}: includes ${header}, outside ${dir}'s layers")
        math(EXPR violations "${violations} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()
if(violations GREATER 0)
  message(FATAL_ERROR "${violations} include(s) against the layering")
endif()
