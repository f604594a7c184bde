# What the peripheral modules share: the serial cycle of the display, the
# check printer and the readers, and the loading of a maker library.
# Each of those modules includes this file; the guard adds it once.
include_guard(GLOBAL)
qdm_module(qdm_peripherals_common ${CMAKE_CURRENT_LIST_DIR}/device_port.cpp ${CMAKE_CURRENT_LIST_DIR}/maker_library.cpp)
