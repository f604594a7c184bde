# What `cmake --install` lays down, and the Debian packages CPack builds
# from the same rules. Three components:
#   runtime      libPkg_Qdm.so.<version> and its SONAME link
#   development  the public headers under include/Pkg_Qdm, the libPkg_Qdm.so
#                link, the CMake package and the pkg-config file
#   devices      the emulated maker libraries, the emulated TEF manager and
#                the register program, together in <libdir>/Pkg_Qdm (the
#                register finds them beside itself), the register also in bin
#   service      the device service qdm_service beside them (and in bin), its
#                systemd unit, run as the user qdm with its home under
#                /var/lib/qdm-service
include(CMakePackageConfigHelpers)

set(QDM_INSTALL_DEVICEDIR ${CMAKE_INSTALL_LIBDIR}/Pkg_Qdm)
set(QDM_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Pkg_Qdm)

install(TARGETS Pkg_Qdm EXPORT Pkg_QdmTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development)

# The headers keep their paths below include/Pkg_Qdm, the library's
# include directory: a front end writes #include "package/Pkg_Qdm.h".
foreach(header ${QDM_PUBLIC_HEADERS})
  get_filename_component(directory ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/${header}
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/Pkg_Qdm/${directory} COMPONENT development)
endforeach()
install(FILES ${QDM_PUBLIC_INCLUDE_DIR}/package/Pkg_Qdm_version.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/Pkg_Qdm/package COMPONENT development)

install(EXPORT Pkg_QdmTargets NAMESPACE Pkg_Qdm:: DESTINATION ${QDM_INSTALL_CMAKEDIR}
        COMPONENT development)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/cmake/Pkg_QdmConfig.cmake.in
  ${PROJECT_BINARY_DIR}/package/Pkg_QdmConfig.cmake
  INSTALL_DESTINATION ${QDM_INSTALL_CMAKEDIR}
  PATH_VARS QDM_INSTALL_DEVICEDIR)
# Before 1.0 a front end needs the same minor version.
if(PROJECT_VERSION_MAJOR EQUAL 0)
  set(compatibility SameMinorVersion)
else()
  set(compatibility SameMajorVersion)
endif()
write_basic_package_version_file(${PROJECT_BINARY_DIR}/package/Pkg_QdmConfigVersion.cmake
  COMPATIBILITY ${compatibility})
install(FILES ${PROJECT_BINARY_DIR}/package/Pkg_QdmConfig.cmake
              ${PROJECT_BINARY_DIR}/package/Pkg_QdmConfigVersion.cmake
        DESTINATION ${QDM_INSTALL_CMAKEDIR} COMPONENT development)

# The pkg-config file finds the prefix from its own place, so the tree
# may be installed anywhere.
file(RELATIVE_PATH QDM_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/Pkg_Qdm.pc.in ${PROJECT_BINARY_DIR}/package/Pkg_Qdm.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/package/Pkg_Qdm.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)

# The front-end developer's documents go with the headers.
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/FRONTEND.md
              ${PROJECT_SOURCE_DIR}/docs/ARCHITECTURE.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT development)

if(QDM_INSTALL_DEVICES)
  install(TARGETS mp20fi_emulator sersweda_emulator fs345_emulator perto_emulator dcvt32_emulator
                  tec44_emulator tec65_emulator tef_manager reader_emulator qdm_register
          LIBRARY DESTINATION ${QDM_INSTALL_DEVICEDIR} COMPONENT devices
          RUNTIME DESTINATION ${QDM_INSTALL_DEVICEDIR} COMPONENT devices)
  file(RELATIVE_PATH register_link /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${QDM_INSTALL_DEVICEDIR}/qdm_register)
  install(CODE "
    set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(MAKE_DIRECTORY \"\${bin}\")
    file(CREATE_LINK \"${register_link}\" \"\${bin}/qdm_register\" SYMBOLIC)
    message(STATUS \"Installing: \${bin}/qdm_register -> ${register_link}\")"
    COMPONENT devices)
  if(TARGET qdm_service)
    install(TARGETS qdm_service RUNTIME DESTINATION ${QDM_INSTALL_DEVICEDIR} COMPONENT service)
    file(RELATIVE_PATH service_link /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${QDM_INSTALL_DEVICEDIR}/qdm_service)
    install(CODE "
      set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
      file(MAKE_DIRECTORY \"\${bin}\")
      file(CREATE_LINK \"${service_link}\" \"\${bin}/qdm_service\" SYMBOLIC)
      message(STATUS \"Installing: \${bin}/qdm_service -> ${service_link}\")"
      COMPONENT service)
    # The unit names /usr/bin/qdm_service: it is for the Debian package.
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/service/qdm-service.service
            DESTINATION lib/systemd/system COMPONENT service)
    install(FILES ${PROJECT_SOURCE_DIR}/docs/SERVICE.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT service)
  endif()
endif()

# Debian packages: cpack -G DEB in the build directory.
set(CPACK_PACKAGE_NAME pkg-qdm)
set(CPACK_PACKAGE_VENDOR "Pkg_Qdm")
set(CPACK_PACKAGE_CONTACT "Pkg_Qdm maintainers <pkg-qdm@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development)
if(QDM_INSTALL_DEVICES)
  list(APPEND CPACK_COMPONENTS_ALL devices)
  if(TARGET qdm_service)
    list(APPEND CPACK_COMPONENTS_ALL service)
  endif()
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A shlibs file for the library (what dpkg-shlibdeps reads for a front
# end's own package), and the ldconfig trigger.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libpkg-qdm${QDM_SOVERSION})
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libpkg-qdm-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVICES_PACKAGE_NAME pkg-qdm-devices)
set(CPACK_DEBIAN_DEVICES_PACKAGE_SECTION devel)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "Pkg_Qdm shared library")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
    "Pkg_Qdm headers, CMake package and pkg-config file for front-end developers")
set(CPACK_COMPONENT_DEVICES_DESCRIPTION
    "Emulated fiscal printers, peripherals and TEF manager, and the register program, for testing without hardware")
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
set(CPACK_DEBIAN_SERVICE_PACKAGE_NAME pkg-qdm-service)
set(CPACK_DEBIAN_SERVICE_PACKAGE_SECTION net)
set(CPACK_COMPONENT_SERVICE_DESCRIPTION
    "The register as a local HTTP/JSON service (qdm_service), with its systemd unit")
# It starts the devices installed beside it; its maintainer scripts make
# the user qdm and its home.
set(CPACK_COMPONENT_SERVICE_DEPENDS devices)
set(CPACK_DEBIAN_SERVICE_PACKAGE_DEPENDS "passwd")
set(CPACK_DEBIAN_SERVICE_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/service/postinst ${CMAKE_CURRENT_LIST_DIR}/service/prerm
    ${CMAKE_CURRENT_LIST_DIR}/service/postrm)
set(CPACK_DEBIAN_SERVICE_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
