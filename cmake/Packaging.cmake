# Debian packages: `cpack -G DEB` in a build configured with
# -DCMAKE_INSTALL_PREFIX=/usr makes one package of each install component.
# scripts/check-packages.sh builds them and checks them with lintian.
#
#   component            package                    holds
#   Runtime              liborvanespt2              libOrvaneSpt.so.2
#   Development          liborvanespt-dev           headers, libOrvaneSpt.so, CMake package, orvanespt.pc
#   Help                 orvanespt-help             the help pages the library opens (any architecture)
#   Cli                  orvane                     the command-line host and its manual page
#   DesignerRuntime      liborvanesptdesigner2      libOrvaneSptDesigner.so.2
#   DesignerDevelopment  liborvanesptdesigner-dev   its Qt seams header, .so, CMake component, orvanespt-designer.pc
#   Designer             orvane-designer            the program, desktop entry, icons, file type, manual page
#   Python               python3-orvanespt          the Python module (with ORVANE_BUILD_PYTHON)
set(ORVANE_PACKAGE_MAINTAINER "Equipo de OrvaneSpt <orvanespt@example.org>" CACHE STRING
  "Maintainer of the Debian packages, as Name <address>")
# The project has published no licence yet; the copyright file says so.
set(ORVANE_PACKAGE_LICENSE "other\n Sin licencia publicada: todos los derechos reservados por sus autores.")

set(ORVANE_PACKAGE_COMPONENTS Runtime Development Help)
if(TARGET orvane)
  list(APPEND ORVANE_PACKAGE_COMPONENTS Cli)
endif()
if(TARGET OrvaneSptDesigner)
  list(APPEND ORVANE_PACKAGE_COMPONENTS DesignerRuntime DesignerDevelopment)
endif()
if(TARGET orvane-designer)
  list(APPEND ORVANE_PACKAGE_COMPONENTS Designer)
endif()
if(ORVANE_BUILD_PYTHON)
  list(APPEND ORVANE_PACKAGE_COMPONENTS Python)
endif()

set(ORVANE_PACKAGE_Runtime liborvanespt${PROJECT_VERSION_MAJOR})
set(ORVANE_PACKAGE_Development liborvanespt-dev)
set(ORVANE_PACKAGE_Help orvanespt-help)
set(ORVANE_PACKAGE_Cli orvane)
set(ORVANE_PACKAGE_DesignerRuntime liborvanesptdesigner${PROJECT_VERSION_MAJOR})
set(ORVANE_PACKAGE_DesignerDevelopment liborvanesptdesigner-dev)
set(ORVANE_PACKAGE_Designer orvane-designer)
set(ORVANE_PACKAGE_Python python3-orvanespt)

# Every package carries its copyright file and the changelog. They are
# installed only when a component is installed by name, as cpack does, so a
# plain `cmake --install` puts no package-only files under share/doc.
# The changelog's date is the configure day (or SOURCE_DATE_EPOCH's).
string(TIMESTAMP ORVANE_PACKAGE_DATE "%a, %d %b %Y 00:00:00 +0000" UTC)
configure_file(cmake/debian/copyright ${CMAKE_CURRENT_BINARY_DIR}/debian/copyright @ONLY)
configure_file(cmake/debian/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog @ONLY)
orvane_gzip(${CMAKE_CURRENT_BINARY_DIR}/debian/changelog ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.gz)
foreach(component IN LISTS ORVANE_PACKAGE_COMPONENTS)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/debian/copyright ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${ORVANE_PACKAGE_${component}} COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

set(CPACK_PACKAGE_NAME orvanespt)
set(CPACK_PACKAGE_VENDOR "OrvaneSpt")
set(CPACK_PACKAGE_CONTACT "${ORVANE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The packages hold the paths compiled in (the help folder), so they install
# under the prefix the build was configured with, which must be /usr.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/cmake/debian/CPackProjectConfig.cmake)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${ORVANE_PACKAGE_COMPONENTS})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps finds our own libraries in the build folder; the packages
# that hold them come from the components' dependencies below.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_CURRENT_BINARY_DIR})
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

foreach(component IN LISTS ORVANE_PACKAGE_COMPONENTS)
  string(TOUPPER ${component} upper)
  set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${ORVANE_PACKAGE_${component}})
endforeach()
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_HELP_PACKAGE_SECTION doc)
set(CPACK_DEBIAN_CLI_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_DESIGNERRUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_DESIGNERDEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DESIGNER_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_HELP_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS ${ORVANE_PACKAGE_Help})
# The libraries' packages run ldconfig through dpkg's trigger. CPack 3.25
# also writes postinst and postrm scripts that call it (lintian warns
# maintscript-calls-ldconfig): replacing them by empty ones would only trade
# that for maintainer-script-empty.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/cmake/debian/triggers)
set(CPACK_DEBIAN_DESIGNERRUNTIME_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/cmake/debian/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries' own dependencies come from dpkg-shlibdeps; the installed
# headers need none but the standard library's, the designer's Qt's.
set(CPACK_DEBIAN_DESIGNERDEVELOPMENT_PACKAGE_DEPENDS "qt6-base-dev")
set(CPACK_DEBIAN_DESIGNER_PACKAGE_RECOMMENDS "qt6-translations-l10n")
if(ORVANE_BUILD_PYTHON)
  # The module is built for one Python 3 minor version: its package asks for
  # that one when FindPython3 (or FindPython) ran at this level.
  set(ORVANE_PYTHON_DEPENDS "python3")
  foreach(prefix Python3 Python)
    if(ORVANE_PYTHON_DEPENDS STREQUAL "python3" AND DEFINED ${prefix}_VERSION_MINOR)
      math(EXPR next_minor "${${prefix}_VERSION_MINOR} + 1")
      set(ORVANE_PYTHON_DEPENDS "python3 (>= 3.${${prefix}_VERSION_MINOR}~), python3 (<< 3.${next_minor})")
    endif()
  endforeach()
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "${ORVANE_PYTHON_DEPENDS}")
endif()

include(CPack)

cpack_add_component(Runtime DISPLAY_NAME "Biblioteca"
  DESCRIPTION "biblioteca de definiciones de reporte
OrvaneSpt define, guarda y ejecuta definiciones de reporte: conexiones a
bases de datos con sus orígenes de registros, parámetros, diálogos de
parámetros, formatos de impresión y recursos. Guarda cada definición como
XML y la empaqueta con sus recursos en un paquete de reporte (.xpd).
.
Este paquete contiene la biblioteca compartida libOrvaneSpt.")
cpack_add_component(Development DISPLAY_NAME "Archivos de desarrollo" DEPENDS Runtime
  DESCRIPTION "archivos de desarrollo de la biblioteca de definiciones de reporte
OrvaneSpt define, guarda y ejecuta definiciones de reporte.
.
Este paquete contiene las cabeceras de C++ (C++20), el paquete de CMake
(find_package(OrvaneSpt)) y el archivo de pkg-config orvanespt.")
cpack_add_component(Help DISPLAY_NAME "Ayuda"
  DESCRIPTION "páginas de ayuda de las definiciones de reporte
OrvaneSpt define, guarda y ejecuta definiciones de reporte.
.
Este paquete contiene las páginas de ayuda en HTML que abren la biblioteca
y el diseñador.")
cpack_add_component(Cli DISPLAY_NAME "orvane" DEPENDS Runtime
  DESCRIPTION "muestra, empaqueta, ejecuta y revisa definiciones de reporte
El programa orvane muestra el árbol y el XML de una definición de reporte,
empaqueta un XML con sus recursos, abre sus datos y recorre sus registros,
dice a qué se resuelve cada conexión y lista los errores de la definición.")
cpack_add_component(DesignerRuntime DISPLAY_NAME "Biblioteca del diseñador" DEPENDS Runtime
  DESCRIPTION "diálogos de Qt para definiciones de reporte
OrvaneSpt define, guarda y ejecuta definiciones de reporte.
.
Este paquete contiene la biblioteca compartida libOrvaneSptDesigner: los
diálogos de Qt 6 con los que un programa edita conexiones, orígenes de
registros, parámetros y formatos.")
cpack_add_component(DesignerDevelopment DISPLAY_NAME "Desarrollo del diseñador"
  DEPENDS DesignerRuntime Development
  DESCRIPTION "archivos de desarrollo de los diálogos de Qt para reportes
OrvaneSpt define, guarda y ejecuta definiciones de reporte.
.
Este paquete contiene la cabecera de los diálogos de Qt, el componente
Designer del paquete de CMake y el archivo de pkg-config orvanespt-designer.")
cpack_add_component(Designer DISPLAY_NAME "Diseñador" DEPENDS DesignerRuntime Help
  DESCRIPTION "diseñador de definiciones de reporte
El programa orvane-designer edita definiciones de reporte en una ventana:
su árbol, las conexiones y consultas, los parámetros, los formatos de
impresión y los recursos, con vista previa del recorrido por los datos.
Abre los paquetes de reporte (.xpd) desde el gestor de archivos.")
if(ORVANE_BUILD_PYTHON)
  cpack_add_component(Python DISPLAY_NAME "Módulo de Python" DEPENDS Runtime
    DESCRIPTION "módulo de Python 3 para definiciones de reporte
OrvaneSpt define, guarda y ejecuta definiciones de reporte.
.
Este paquete contiene el módulo de Python 3 de la biblioteca.")
endif()
