# Two Debian packages from one build, by CPack's DEB generator
# (scripts/package runs it): commission-server (component "server") and
# commission-host (component "host"). The install rules sit with the targets
# (see cmake/CommissionInstall.cmake for the folders); the maintainer scripts,
# the service, the configuration file and the menu entry are in packaging/.
set(commission_maintainer "Equipe de manutenção da comissão <comissao@empresa.example>")
set(commission_packaging ${PROJECT_SOURCE_DIR}/packaging)

# Each package's copyright and compressed changelog in /usr/share/doc/<name>.
find_program(COMMISSION_GZIP gzip)
foreach(component server host)
  set(package commission-${component})
  set(maintainer ${commission_maintainer})
  set(doc ${CMAKE_BINARY_DIR}/packaging/${package})
  configure_file(${commission_packaging}/changelog.in ${doc}/changelog @ONLY)
  if(COMMISSION_GZIP)
    execute_process(COMMAND ${COMMISSION_GZIP} -9 -n -f -k changelog WORKING_DIRECTORY ${doc})
    install(FILES ${doc}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
  endif()
  install(FILES ${commission_packaging}/copyright DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package}
    COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME commission)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Equipe de manutenção da comissão")
set(CPACK_PACKAGE_CONTACT ${commission_maintainer})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL server host)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${commission_maintainer})
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Dependencies on shared libraries come from dpkg-shlibdeps; it finds the
# project's own libraries in the packages' private folders.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS usr/${COMMISSION_SERVER_LIBDIR} usr/${COMMISSION_HOST_LIBDIR})

set(CPACK_DEBIAN_SERVER_PACKAGE_NAME commission-server)
set(CPACK_COMPONENT_SERVER_DESCRIPTION "commission application server
The server of the commission maintenance: lists quotes, generates and
cancels commissions for the host's screen over HTTP, on SQLite or PostgreSQL.
It runs as the service commission-server under the system user comissao,
reading /etc/commission/server.conf; its data stay in /var/lib/commission.")
# Beyond the libraries: the user is made with adduser, and Qt opens the
# databases through its driver plugins, which no binary links.
set(CPACK_DEBIAN_SERVER_PACKAGE_DEPENDS "adduser, libqt6sql6-sqlite")
set(CPACK_DEBIAN_SERVER_PACKAGE_RECOMMENDS "libqt6sql6-psql")
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA
  ${commission_packaging}/server/conffiles
  ${commission_packaging}/server/postinst
  ${commission_packaging}/server/prerm
  ${commission_packaging}/server/postrm)

set(CPACK_DEBIAN_HOST_PACKAGE_NAME commission-host)
set(CPACK_COMPONENT_HOST_DESCRIPTION "commission maintenance screen and its host
The operator's program: the host window, signing in to the commission
server, and the commission maintenance module it opens from its menu.")
# Qt's own texts in Portuguese, its display plugins and the SQLite driver are
# loaded at run time, not linked.
set(CPACK_DEBIAN_HOST_PACKAGE_DEPENDS "qt6-translations-l10n, qt6-qpa-plugins, libqt6sql6-sqlite")
set(CPACK_DEBIAN_HOST_PACKAGE_SECTION x11)

include(CPack)
