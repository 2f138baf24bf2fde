# The application bundle: Zerarazi.app/Contents/{Info.plist, MacOS/Zerarazi, Resources/*,
# Helpers/launchctl, PlugIns/desktop-display.so}, laid out in the build folder so that it runs
# from there as it is.
set(ZERARAZI_BUNDLE ${CMAKE_BINARY_DIR}/Zerarazi.app)
set(bundle_contents ${ZERARAZI_BUNDLE}/Contents)

add_executable(zerarazi app/main.cpp)
target_link_libraries(zerarazi PRIVATE zerarazi_app)
set_target_properties(zerarazi PROPERTIES OUTPUT_NAME Zerarazi
                                          RUNTIME_OUTPUT_DIRECTORY ${bundle_contents}/MacOS)
if(ZERARAZI_LINK_ORDER)
    # The list may name functions the code no longer has: they are passed over.
    target_link_options(zerarazi PRIVATE -fuse-ld=lld LINKER:--symbol-ordering-file=${ZERARAZI_LINK_ORDER}
                        LINKER:--no-warn-symbol-ordering)
    set_target_properties(zerarazi PROPERTIES LINK_DEPENDS ${ZERARAZI_LINK_ORDER})
endif()

# The desktop display, loaded by the program only to show a desktop. It gives only its maker
# (module.map) and takes nothing from the program but what the maker is handed.
add_library(zerarazi_desktop_module MODULE)
target_link_libraries(zerarazi_desktop_module PRIVATE zerarazi_desktop_display)
target_link_options(zerarazi_desktop_module PRIVATE
                    LINKER:--version-script=${PROJECT_SOURCE_DIR}/platform/display/desktop/module.map)
# The sanitizers' runtimes are the program's.
if(NOT ZERARAZI_SANITIZE AND NOT ZERARAZI_FUZZ AND NOT ZERARAZI_SANITIZE_THREADS)
    target_link_options(zerarazi_desktop_module PRIVATE LINKER:--no-undefined)
endif()
set_target_properties(zerarazi_desktop_module PROPERTIES OUTPUT_NAME desktop-display PREFIX ""
                                                         LIBRARY_OUTPUT_DIRECTORY ${bundle_contents}/PlugIns)
add_dependencies(zerarazi zerarazi_desktop_module)

add_executable(launchctl platform/launchd/launchctl_main.cpp)
target_link_libraries(launchctl PRIVATE zerarazi_platform)
set_target_properties(launchctl PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${bundle_contents}/Helpers)
add_dependencies(zerarazi launchctl)

set(BUNDLE_IDENTIFIER org.zerarazi.Zerarazi)
set(BUNDLE_EXECUTABLE Zerarazi)
configure_file(${PROJECT_SOURCE_DIR}/resources/Info.plist.in ${bundle_contents}/Info.plist @ONLY)

file(GLOB bundle_resources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/*.png
     ${PROJECT_SOURCE_DIR}/resources/samples/*.plist)
foreach(resource IN LISTS bundle_resources)
    get_filename_component(name ${resource} NAME)
    configure_file(${resource} ${bundle_contents}/Resources/${name} COPYONLY)
endforeach()

# The launcher and the application's icon in the hicolor theme's layout, which the desktop
# display adds to the icon theme's search path.
configure_file(${PROJECT_SOURCE_DIR}/resources/zerarazi.desktop
               ${bundle_contents}/Resources/zerarazi.desktop COPYONLY)
file(GLOB_RECURSE app_icons CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}/resources
     ${PROJECT_SOURCE_DIR}/resources/icons/*.png)
foreach(icon IN LISTS app_icons)
    configure_file(${PROJECT_SOURCE_DIR}/resources/${icon} ${bundle_contents}/Resources/${icon}
                   COPYONLY)
endforeach()
