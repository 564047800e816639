# Two Debian packages from one build: the tool for a bench with the board, and
# the simulated board for a machine without one. `cpack -G DEB` in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${VELKOR_TOOL_PACKAGE})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "VelkorLinuxPciDriverTest developers")
set(CPACK_PACKAGE_CONTACT ${VELKOR_MAINTAINER})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL tool)
if(VELKOR_SIMULATOR)
    list(APPEND CPACK_COMPONENTS_ALL simulator)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VELKOR_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_TOOL_PACKAGE_NAME ${VELKOR_TOOL_PACKAGE})
set(CPACK_DEBIAN_TOOL_PACKAGE_SHLIBDEPS ON)
# postinst creates the group of the udev rule with addgroup.
set(CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS adduser)
# Qt's Wayland platform plugin is a package of its own; without it the tool
# can reach a Wayland desktop only through XWayland.
if(QT_VERSION_MAJOR EQUAL 6)
    set(CPACK_DEBIAN_TOOL_PACKAGE_RECOMMENDS qt6-wayland)
else()
    set(CPACK_DEBIAN_TOOL_PACKAGE_RECOMMENDS qtwayland5)
endif()
set(CPACK_DEBIAN_TOOL_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/postinst)
set(CPACK_COMPONENT_TOOL_DESCRIPTION
"bench tool for the Velkor MIL-STD-1553 interface board
VelkorLinuxPciDriverTest tests one channel of a Velkor MIL-STD-1553 board
through its kernel driver: it reads the driver's date and version and the
board's PCI identity, configures the channel as bus controller or remote
terminal, and writes the channel's bus traffic, decoded and time-stamped,
into a terminal list. The interface is in Russian.
.
The package gives the channel nodes /dev/mil1553dev-N-ch-M to the user
logged in at the seat and to the group mil1553.")

set(CPACK_DEBIAN_SIMULATOR_PACKAGE_NAME ${VELKOR_SIM_PACKAGE})
set(CPACK_DEBIAN_SIMULATOR_PACKAGE_SHLIBDEPS ON)
# The served program reaches the board through umockdev's preload library,
# which dpkg-shlibdeps cannot see: it is loaded by name, not linked.
set(CPACK_DEBIAN_SIMULATOR_PACKAGE_DEPENDS umockdev)
set(CPACK_DEBIAN_SIMULATOR_PACKAGE_SUGGESTS ${VELKOR_TOOL_PACKAGE})
set(CPACK_COMPONENT_SIMULATOR_DESCRIPTION
"simulated Velkor MIL-STD-1553 board for VelkorLinuxPciDriverTest
velkor-sim runs a program against a simulated Velkor MIL-STD-1553 board of
four channels on one bus, served through umockdev: the program finds the
channel nodes /dev/mil1553dev-N-ch-M and reaches the simulated driver
through open, ioctl and close. It lets the bench tool be tried, shown and
tested on a machine without the board.")

include(CPack)
