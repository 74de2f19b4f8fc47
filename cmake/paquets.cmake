# Packages of the installed files (see the install rules): a Debian package
# and a .tar.gz on Linux, a .zip on Windows. The presets "paquets" and
# "paquet-windows" build them.
set(CPACK_PACKAGE_NAME elasplan)
set(CPACK_PACKAGE_VENDOR "elasplan maintainers")
set(CPACK_PACKAGE_CONTACT
  "elasplan maintainers <maintainers@users.noreply.c-seed-7ffd45b0.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "plane elasticity solver with constant-strain triangles")
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/dossiers-paquet.cmake)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB TGZ)
endif()

# Debian: the extended description under the synopsis above; CPack indents
# it and turns the empty line into the " ." of the control file.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[
elasplan solves a two-dimensional linear elasticity problem, in plane stress
or plane strain, by the finite element method with three-node triangles of
constant strain. It reads the model (nodes, elements, supports, loads) from a
text file and writes a report in French (nodal displacements, element strains
and stresses, support reactions) and an SVG picture of the deformed mesh
coloured by the von Mises stress.

It is an interactive console program: it asks for the base name of the data
file. A worked example is in /usr/share/elasplan/examples.]])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The program is linked statically: no dependency is looked for, none is
# declared.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)

if(NOT WIN32)
  # What Debian asks of a package: the copyright and, compressed, a changelog
  # whose first entry is this version, and a manual page.
  file(STRINGS packaging/changelog entete LIMIT_COUNT 1)
  if(NOT entete MATCHES "^elasplan \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/changelog does not begin with version ${PROJECT_VERSION}")
  endif()
  install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
  configure_file(packaging/changelog changelog COPYONLY)
  configure_file(packaging/elasplan.1.in elasplan.1 @ONLY)
  find_program(ELASPLAN_GZIP gzip REQUIRED)
  foreach(fichier changelog elasplan.1)
    # -n: no name nor time stamp, the same bytes from every build.
    execute_process(COMMAND ${ELASPLAN_GZIP} -9 -n -f ${fichier}
      WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
      COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
  install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES ${PROJECT_BINARY_DIR}/elasplan.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  # Linked statically on purpose (see app/CMakeLists.txt): the override tells
  # lintian so.
  install(FILES packaging/lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME elasplan)
endif()

include(CPack)
