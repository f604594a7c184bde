cmake_policy(VERSION 3.25)
# The headers a front end reaches from package/Pkg_Qdm.h: the header itself
# and every project header it includes, directly or through another.
# qdm_public_headers(<source root> <out list>) answers paths relative to the
# root. Run as a script (-DSOURCE_DIR=...) it fails when a test helper is
# among them.
function(qdm_public_headers root out)
  set(found "")
  set(pending "package/Pkg_Qdm.h")
  while(pending)
    list(POP_FRONT pending header)
    if(header IN_LIST found OR NOT EXISTS "${root}/${header}")
      continue()  # the version header is generated in the build tree
    endif()
    list(APPEND found "${header}")
    file(STRINGS "${root}/${header}" lines REGEX "^#include \"[^\"]+/[^\"]+\"")
    foreach(line ${lines})
      string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
      list(APPEND pending "${included}")
    endforeach()
  endwhile()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND SOURCE_DIR)
  qdm_public_headers("${SOURCE_DIR}" headers)
  set(helpers "")
  foreach(header ${headers})
    if(header MATCHES "_testing\\.h$|/scripted\\.h$|^tests/")
      list(APPEND helpers "${header}")
    endif()
  endforeach()
  list(LENGTH headers count)
  if(helpers)
    message(FATAL_ERROR "package/Pkg_Qdm.h pulls test helpers: ${helpers}")
  endif()
  message("package/Pkg_Qdm.h reaches ${count} headers, no test helper among them")
endif()
