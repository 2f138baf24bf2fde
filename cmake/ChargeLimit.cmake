# The charge limit's privileged service (privileged/): a small program of its own over GIO that
# links none of the application's layers, started as root by D-Bus activation. Its code is a
# library too, for its tests.
file(GLOB charge_limit_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/privileged/*.cpp)
list(FILTER charge_limit_sources EXCLUDE REGEX "/main\\.cpp$")
add_library(zerarazi_charge_limit STATIC ${charge_limit_sources})
target_link_libraries(zerarazi_charge_limit PUBLIC PkgConfig::SYSTEM_BUS)
add_executable(zerarazi-charge-limit ${PROJECT_SOURCE_DIR}/privileged/main.cpp)
target_link_libraries(zerarazi-charge-limit PRIVATE zerarazi_charge_limit)
