# The technician's console: static files the service serves at "/", and
# the routes of the register's records the page reads. The files are
# copied beside the program in the build tree (bin/console) and installed
# under share/Pkg_Qdm/console, where the service looks for them.
set(QDM_CONSOLE_SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/console)
set(QDM_CONSOLE_FILES index.html console.css console.js)
set(QDM_CONSOLE_INSTALL ${CMAKE_INSTALL_DATADIR}/Pkg_Qdm/console)

# The TEF manager's journal read back as its transactions (the manager's
# own reader; it only reads here).
add_library(qdm_tef_journal_reader STATIC ${CMAKE_SOURCE_DIR}/emulators/tef/journal.cpp
  ${CMAKE_SOURCE_DIR}/emulators/tef/journal_lines.cpp ${CMAKE_SOURCE_DIR}/emulators/tef/manager_clock.cpp)
target_include_directories(qdm_tef_journal_reader PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(qdm_tef_journal_reader PUBLIC emulator_common)

# The console's routes and the records', apart from the program for the
# tests.
add_library(qdm_service_console STATIC console_routes.cpp records_routes.cpp)
target_link_libraries(qdm_service_console PUBLIC qdm_service_core qdm_register_home qdm_tef_journal_reader)
# Where the installed service finds the console from its own directory:
# the devices' directory (<libdir>/Pkg_Qdm, as package/install.cmake lays
# it) or bin; else the configured prefix's.
file(RELATIVE_PATH from_devices /prefix/${CMAKE_INSTALL_LIBDIR}/Pkg_Qdm /prefix/${QDM_CONSOLE_INSTALL})
file(RELATIVE_PATH from_bin /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${QDM_CONSOLE_INSTALL})
target_compile_definitions(qdm_service_console PRIVATE
  QDM_CONSOLE_FROM_DEVICES="${from_devices}" QDM_CONSOLE_FROM_BIN="${from_bin}"
  QDM_CONSOLE_INSTALL_DIR="${CMAKE_INSTALL_PREFIX}/${QDM_CONSOLE_INSTALL}")
target_link_libraries(qdm_service PRIVATE qdm_service_console)

set(copied)
foreach(file ${QDM_CONSOLE_FILES})
  set(out ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/console/${file})
  add_custom_command(OUTPUT ${out}
                     COMMAND ${CMAKE_COMMAND} -E copy_if_different ${QDM_CONSOLE_SOURCE}/${file} ${out}
                     DEPENDS ${QDM_CONSOLE_SOURCE}/${file}
                     COMMENT "Console: ${file}" VERBATIM)
  list(APPEND copied ${out})
endforeach()
add_custom_target(qdm_console_files DEPENDS ${copied})
add_dependencies(qdm_service qdm_console_files)

if(QDM_INSTALL_DEVICES)
  list(TRANSFORM QDM_CONSOLE_FILES PREPEND ${QDM_CONSOLE_SOURCE}/ OUTPUT_VARIABLE installed)
  install(FILES ${installed} DESTINATION ${QDM_CONSOLE_INSTALL} COMPONENT devices)
endif()
