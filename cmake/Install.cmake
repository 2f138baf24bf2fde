# Installing: the bundle as it is under lib/zerarazi, a launcher on PATH that is a link to the
# bundle's executable, and the desktop's launcher and the application's icons where the desktop
# looks for them. `cpack -G DEB` in the build folder makes a Debian package of the same, its
# dependencies worked out from the libraries the programs link.
set(installed_bundle lib/zerarazi/Zerarazi.app)

install(TARGETS zerarazi DESTINATION ${installed_bundle}/Contents/MacOS)
install(TARGETS launchctl DESTINATION ${installed_bundle}/Contents/Helpers)
install(TARGETS zerarazi_desktop_module DESTINATION ${installed_bundle}/Contents/PlugIns)
install(FILES ${bundle_contents}/Info.plist DESTINATION ${installed_bundle}/Contents)
install(DIRECTORY ${bundle_contents}/Resources DESTINATION ${installed_bundle}/Contents)
install(CODE "
    set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
    file(MAKE_DIRECTORY \"\${bin}\")
    file(CREATE_LINK ../${installed_bundle}/Contents/MacOS/Zerarazi \"\${bin}/zerarazi\" SYMBOLIC)
")

# The installed launcher starts the program by the name on PATH.
file(READ ${PROJECT_SOURCE_DIR}/resources/zerarazi.desktop desktop_entry)
string(REPLACE "\nExec=Zerarazi\n" "\nExec=zerarazi\n" desktop_entry "${desktop_entry}")
file(WRITE ${CMAKE_BINARY_DIR}/installed/zerarazi.desktop "${desktop_entry}")
install(FILES ${CMAKE_BINARY_DIR}/installed/zerarazi.desktop DESTINATION share/applications)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/icons/hicolor DESTINATION share/icons)

# The charge limit's privileged service: its program, its D-Bus policy (only root owns its name),
# its activation file, its polkit action, its systemd units and its udev rule, where the system's
# daemons look for them under the prefix (cmake/InstallChargeLimit.cmake writes the files that
# name the program).
set(charge_limit_files ${PROJECT_SOURCE_DIR}/privileged/install)
install(TARGETS zerarazi-charge-limit DESTINATION libexec)
install(FILES ${charge_limit_files}/org.zerarazi.ChargeLimit1.conf DESTINATION share/dbus-1/system.d)
install(FILES ${charge_limit_files}/org.zerarazi.charge-limit.policy DESTINATION share/polkit-1/actions)
install(FILES ${charge_limit_files}/90-zerarazi-charge-limit.rules DESTINATION lib/udev/rules.d)
install(CODE "set(ZERARAZI_CHARGE_LIMIT_FILES \"${charge_limit_files}\")
              set(ZERARAZI_CHARGE_LIMIT_PROGRAM libexec/zerarazi-charge-limit)")
install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/InstallChargeLimit.cmake)

set(CPACK_PACKAGE_NAME zerarazi)
set(CPACK_PACKAGE_CONTACT "Zerarazi developers <developers@zerarazi.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Battery status indicator for the panel")
set(CPACK_PACKAGE_DESCRIPTION
    "Shows how much charge is left, whether the machine is on mains power and how healthy the\nbattery is, in the desktop's panel; one click shows everything the system knows about it.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
