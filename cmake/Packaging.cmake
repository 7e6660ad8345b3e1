# Install rules and the Debian package (script/package runs CPack).
#
# Under the prefix (/usr in the package):
#   bin/evmcontroller, bin/evm2280          packaging/launcher: picks the board library
#   lib/evm-controller/evmcontroller, evm2280 the programs, without RPATH
#   lib/evm-controller/evm2280serve.so      the SCPI server that evm2280 serve loads
#   lib/evm-controller/sim/libHxBus.so      the board simulator (the default)
#   lib/evm-controller/linux/libHxBus.so    the library for a chip on the host's bus
#   share/applications, icons, metainfo, man, doc/evm-controller
#
# In the build tree the programs find the simulator beside them through the
# RPATH $ORIGIN. Installed, they carry no RPATH and no libHxBus.so sits beside
# them: an RPATH is searched before LD_LIBRARY_PATH, so any library it reached
# would win over the one the user chose through the launcher.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  return()
endif()

# The project has no domain, licence or web home of its own yet: these stand in
# until it has (example.org is reserved for exactly this).
set(EVM_APP_ID "org.example.evmcontroller" CACHE STRING
    "Reverse-DNS id of the desktop entry, icon and AppStream data")
# The window names its desktop entry, so that task bars match it to the menu's.
set_property(SOURCE ui/main.cpp APPEND PROPERTY COMPILE_DEFINITIONS EVM_APP_ID="${EVM_APP_ID}")
set(EVM_PROJECT_LICENSE "LicenseRef-proprietary" CACHE STRING
    "SPDX licence of the program in the AppStream data (no licence has been stated)")
set(EVM_SCREENSHOT_URL "https://example.org/evm-controller/screenshot.png" CACHE STRING
    "Where software centres fetch packaging/screenshot.png from")

# Whoever builds the package is its maintainer unless told otherwise, as
# dch has it: DEBFULLNAME and DEBEMAIL, else git's user.
if(NOT EVM_PACKAGE_MAINTAINER)
  set(evm_maint_name "$ENV{DEBFULLNAME}")
  set(evm_maint_email "$ENV{DEBEMAIL}")
  foreach(key name email)
    if(NOT evm_maint_${key})
      execute_process(COMMAND git config user.${key} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                      OUTPUT_VARIABLE evm_maint_${key} OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    endif()
  endforeach()
  if(evm_maint_name AND evm_maint_email)
    set(EVM_PACKAGE_MAINTAINER "${evm_maint_name} <${evm_maint_email}>")
  endif()
endif()
set(EVM_PACKAGE_MAINTAINER "${EVM_PACKAGE_MAINTAINER}" CACHE STRING "Maintainer field of the package")

# The programs' private folder: the launcher finds them in ../lib/evm-controller
# from its own place (Debian keeps such folders outside the multiarch LIBDIR).
set(evm_private lib/evm-controller)
set(evm_doc ${CMAKE_INSTALL_DATAROOTDIR}/doc/evm-controller)
set(evm_gen ${CMAKE_BINARY_DIR}/packaging)
set(evm_pkg ${PROJECT_SOURCE_DIR}/packaging)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS evmcontroller evm2280 RUNTIME DESTINATION ${evm_private})
# The programs keep the build tree's RPATH until they are installed; an
# install RPATH of its own would make CMake pad the build tree's with an empty
# element, which searches the current folder.
foreach(program evmcontroller evm2280)
  install(CODE "file(RPATH_REMOVE FILE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${evm_private}/${program}\")")
endforeach()
install(TARGETS evm2280serve LIBRARY DESTINATION ${evm_private})
install(TARGETS HxBus LIBRARY DESTINATION ${evm_private}/sim)
install(TARGETS HxBusLinux LIBRARY DESTINATION ${evm_private}/linux)
install(PROGRAMS ${evm_pkg}/launcher DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME evmcontroller)
install(PROGRAMS ${evm_pkg}/launcher DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME evm2280)

configure_file(${evm_pkg}/evm-controller.desktop.in ${evm_gen}/${EVM_APP_ID}.desktop @ONLY)
configure_file(${evm_pkg}/evm-controller.metainfo.xml.in ${evm_gen}/${EVM_APP_ID}.metainfo.xml @ONLY)
configure_file(${evm_pkg}/changelog.in ${evm_gen}/changelog @ONLY)
install(FILES ${evm_gen}/${EVM_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${evm_gen}/${EVM_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(FILES ${evm_pkg}/icon.svg DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps RENAME ${EVM_APP_ID}.svg)
foreach(size 48 256)
  install(FILES ${evm_pkg}/icon-${size}.png DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${EVM_APP_ID}.png)
endforeach()

# Manual pages and the changelog go in gzipped (-n: no name or time inside, so
# the same sources give the same bytes). Made at configure time, redone when a
# source changes.
foreach(page evmcontroller.1 evm2280.1)
  execute_process(COMMAND gzip -9n -c ${evm_pkg}/${page} OUTPUT_FILE ${evm_gen}/${page}.gz COMMAND_ERROR_IS_FATAL ANY)
  install(FILES ${evm_gen}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
execute_process(COMMAND gzip -9n -c ${evm_gen}/changelog OUTPUT_FILE ${evm_gen}/changelog.gz
                COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${evm_pkg}/evmcontroller.1 ${evm_pkg}/evm2280.1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${evm_pkg}/copyright ${evm_gen}/changelog.gz DESTINATION ${evm_doc})

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME evm-controller)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${EVM_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# fontconfig substitutes these for Arial, Courier, Tahoma and MS PGothic.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "i2c-tools")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control program for the ORV2280 audio converter's evaluation board")
# CPack puts the summary first; this is the extended description under it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "EVM Controller sets every DAC register bit field of the ORV2280 from tabbed
panels, reads and writes single registers, runs register scripts, saves
snapshots and the write history, and shows every register bit in a register
map window. evm2280 does the same from the command line.
.
It runs on a board simulator unless told to use the library for a chip on the
host's IIC or SPI bus (i2c-dev, spidev) or a vendor's board library.")
include(CPack)

# The installed package, tried from a scratch root; skipped until
# script/package has put the package into this build folder.
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE evm_deb_arch
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
add_test(NAME package_install
         COMMAND ${evm_pkg}/check-package ${CMAKE_BINARY_DIR}/evm-controller_${PROJECT_VERSION}_${evm_deb_arch}.deb)
set_tests_properties(package_install PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)
