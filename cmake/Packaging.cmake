# The Debian package (CPack DEB): kamt-gui with its menu entry and icon, kamt and kamt-sim.
# Its dependencies are Debian's own packages: dpkg-shlibdeps finds the libraries the programs
# link, and the window system plugin, which Qt loads only at run time, is named here.
# Build it from a release build: cmake --build build --target package
# The simulated meter goes with the programs, for training and for trying a set-up without a
# meter (its target is made after app/, so its install rule is here).
install(TARGETS kamt-sim RUNTIME DESTINATION bin)
# The collector's systemd unit, installed but not enabled, and a fleet file to start from.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/kamt-collect.service DESTINATION lib/systemd/system)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/fleet.example.txt DESTINATION share/doc/kamt)

set(KAMT_PACKAGE_MAINTAINER "KAMT service tool developers <kamt-tool@localhost>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kamt)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${KAMT_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "service tool for KAMT flow meters over Modbus RTU and Modbus TCP")
# One string: CPack makes each line a line of the control file's long description.
set(CPACK_PACKAGE_DESCRIPTION "Reads the current data, the hourly, daily and monthly archives, the clock, the
configuration and the communication parameters of KAMT flow meters (VEDAN) over a serial
line, a dial-up modem or Ethernet, and shows archive files as tables and charts.
kamt-gui is the window program, kamt the same commands on the command line, and kamt-sim
a simulated meter for training and tests. kamt collect polls a fleet of meters on a
schedule into an SQLite database (a systemd unit, kamt-collect, is installed off).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Plugins Qt loads only at run time: the window system, and SQLite and PostgreSQL for the
# collector's database.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite, libqt6sql6-psql")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
include(CPack)
