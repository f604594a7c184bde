cmake_policy(VERSION 3.25)
# The headers a front end reaches from package/Pkg_Qdm.h: the header itself
# and every project header it includes, directly or through another.
# qdm_public_headers(<source root> <out list> [<start header>...]) answers
# paths relative to the root, from package/Pkg_Qdm.h or the headers given.
# These are the headers staged in the build tree and installed.
# Run as a script (-DSOURCE_DIR=...) it fails when a test helper is among
# them, or when one declares things outside PKG_QDM_PUBLIC_BEGIN/END (so
# the library would not export them).
function(qdm_public_headers root out)
  set(found "")
  set(pending "package/Pkg_Qdm.h")
  if(ARGN)
    set(pending "${ARGN}")
  endif()
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
  # Every public header but the umbrella and the macros' own marks what it
  # declares for export.
  qdm_public_headers("${SOURCE_DIR}" all package/Pkg_Qdm.h package/Pkg_Qdm_testing.h)
  set(unmarked "")
  foreach(header ${all})
    if(header MATCHES "^package/Pkg_Qdm(_testing)?\\.h$|^platform/base/export\\.h$")
      continue()
    endif()
    file(READ "${SOURCE_DIR}/${header}" text)
    if(NOT text MATCHES "\nPKG_QDM_PUBLIC_BEGIN\n" OR NOT text MATCHES "\nPKG_QDM_PUBLIC_END\n$")
      list(APPEND unmarked "${header}")
    endif()
  endforeach()
  if(unmarked)
    message(FATAL_ERROR "public headers without PKG_QDM_PUBLIC_BEGIN/END: ${unmarked}")
  endif()
  message("package/Pkg_Qdm.h reaches ${count} headers, no test helper among them")
endif()
