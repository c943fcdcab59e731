# Where the Debian packages (cmake/CommissionPackaging.cmake) put things, and
# the helpers the targets' own CMakeLists.txt call to install themselves.
#
# Each package keeps the project's shared libraries in a private folder of
# its own, so the server and the host install independently:
#   commission-server  /usr/bin/commission-server, libraries in /usr/lib/commission-server
#   commission-host    /usr/lib/commission-host: the host, its libraries, the module and
#                      modules.ini beside them (the host reads the catalogue next to its
#                      program); /usr/bin/commission-host links to the program there.
# Programs find those libraries through their RUNPATH, relative to themselves.
include(GNUInstallDirs)

set(COMMISSION_SERVER_LIBDIR lib/commission-server)
set(COMMISSION_HOST_LIBDIR lib/commission-host)

# commission_install_library(<target> <component>...): the shared library in
# the private folder of each component's package.
function(commission_install_library target)
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
  foreach(component IN LISTS ARGN)
    string(TOUPPER ${component} upper)
    install(TARGETS ${target} LIBRARY DESTINATION ${COMMISSION_${upper}_LIBDIR}
      COMPONENT ${component})
  endforeach()
endfunction()
