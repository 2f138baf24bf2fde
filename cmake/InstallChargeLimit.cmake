# Run at install time (install(SCRIPT) in Install.cmake): the charge limit's files that name its
# program, written for the prefix installed to, and the links that enable its apply unit at boot
# and on waking, which the package carries so that no script has to run when it is installed.
# ZERARAZI_CHARGE_LIMIT_FILES and ZERARAZI_CHARGE_LIMIT_PROGRAM are set before.
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(program "${CMAKE_INSTALL_PREFIX}/${ZERARAZI_CHARGE_LIMIT_PROGRAM}")

foreach(file org.zerarazi.ChargeLimit1.service:share/dbus-1/system-services
             zerarazi-charge-limit.service:lib/systemd/system
             zerarazi-charge-limit-apply.service:lib/systemd/system)
    string(REPLACE ":" ";" file ${file})
    list(GET file 0 name)
    list(GET file 1 folder)
    file(READ ${ZERARAZI_CHARGE_LIMIT_FILES}/${name}.in text)
    string(REPLACE "@PROGRAM@" "${program}" text "${text}")
    message(STATUS "Installing: ${root}/${folder}/${name}")
    file(WRITE ${root}/${folder}/${name} "${text}")
endforeach()

foreach(target multi-user suspend hibernate hybrid-sleep suspend-then-hibernate)
    set(wants ${root}/lib/systemd/system/${target}.target.wants)
    file(MAKE_DIRECTORY ${wants})
    file(CREATE_LINK ../zerarazi-charge-limit-apply.service
         ${wants}/zerarazi-charge-limit-apply.service SYMBOLIC)
endforeach()
