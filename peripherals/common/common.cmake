# The serial cycle the display, the check printer and the readers share.
# Each of those modules includes this file; the guard adds it once.
include_guard(GLOBAL)
target_sources(Pkg_Qdm PRIVATE ${CMAKE_CURRENT_LIST_DIR}/device_port.cpp)
