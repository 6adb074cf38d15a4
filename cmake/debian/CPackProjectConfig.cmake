# Read by cpack: the packages hold paths compiled in for the build's prefix
# (the help folder), so a package of a build for /usr/local would look in the
# wrong place once installed, and Debian keeps packages out of /usr/local.
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_PACKAGING_INSTALL_PREFIX STREQUAL "/usr")
  message(FATAL_ERROR "Los paquetes de Debian necesitan una construcción configurada con "
    "-DCMAKE_INSTALL_PREFIX=/usr (esta es para ${CPACK_PACKAGING_INSTALL_PREFIX}).")
endif()
# Each component's description starts with its own summary line; CPack
# would put the project's before it.
unset(CPACK_PACKAGE_DESCRIPTION_SUMMARY)
