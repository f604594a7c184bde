cmake_minimum_required(VERSION 3.25)
# Dependencies run one way: each directory (or file) below may include only
# the directories and files its line names (and itself). Run with
#   cmake -DSOURCE_DIR=<tree> -P check_layers.cmake
# It prints every include that crosses a layer the wrong way and fails.
set(layers
  "platform/base:"
  "platform/text:platform/base"
  "platform/os:platform/base"
  "platform/dialogs:platform/base"
  "platform/dataset:platform/base,platform/text,platform/os"
  "utility:platform"
  # The fiscal layer: facade -> drivers -> driver services -> cupom data
  # module -> utility, platform. The drivers reach the facade only through
  # drivers/common/driver_services.h, whose globals the facade defines.
  "data_module:utility,platform"
  "drivers/common:data_module,utility,platform"
  "drivers/bematech:drivers/common,utility,platform"
  "drivers/sweda:drivers/common,utility,platform"
  "drivers/daruma:drivers/common,utility,platform"
  "tef:facade,data_module,drivers/common,utility,platform"
  "facade:data_module,drivers,utility,platform"
  "peripherals:facade,data_module,drivers/common,utility,platform"
  # The sale runs the facade, the drivers and the TEF client together.
  "sale:facade,data_module,drivers,tef,utility,platform"
  # The emulators share only the library's durable save.
  "emulators:platform/os/durable_file.h"
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
  if(IS_DIRECTORY "${SOURCE_DIR}/${dir}")
    file(GLOB_RECURSE files "${SOURCE_DIR}/${dir}/*.h" "${SOURCE_DIR}/${dir}/*.cpp")
  else()
    set(files "${SOURCE_DIR}/${dir}")
  endif()
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
        if(head STREQUAL "${prefix}/" OR header STREQUAL "${prefix}")
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
