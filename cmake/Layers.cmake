# One static library per layer, made of every .cpp file below the layer's folders except the
# programs' entry points (main.cpp, *_main.cpp), which their executables build. A layer with no
# sources yet is an interface library, so that the layers above can name it already.
function(zerarazi_add_layer target)
    cmake_parse_arguments(LAYER "" "" "DIRS;DEPENDS" ${ARGN})
    set(sources)
    foreach(dir IN LISTS LAYER_DIRS)
        file(GLOB_RECURSE found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
        list(FILTER found EXCLUDE REGEX "/(main|[^/]*_main)\\.cpp$")
        # The desktop display needs the desktop's libraries; it is a library of its own.
        list(FILTER found EXCLUDE REGEX "/platform/display/desktop/")
        list(APPEND sources ${found})
    endforeach()
    if(sources)
        add_library(${target} STATIC ${sources})
        target_link_libraries(${target} PUBLIC ${LAYER_DEPENDS})
    else()
        add_library(${target} INTERFACE)
        target_link_libraries(${target} INTERFACE ${LAYER_DEPENDS})
    endif()
endfunction()

# One test executable per layer, made of every *_test.cpp below tests/<dir>.
function(zerarazi_add_layer_tests name dir layer)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${dir}/*.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${layer} GTest::gtest GTest::gtest_main GTest::gmock)
    # The test framework's header is most of what every test file compiles; it is compiled once.
    # Test code needs no optimisation and only line tables, even in an optimised build.
    target_precompile_headers(${name} PRIVATE <gtest/gtest.h> <filesystem> <string> <vector>)
    target_compile_options(${name} PRIVATE -O0 -g1)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                         PROPERTIES ENVIRONMENT "ZERARAZI_TEST=1")
endfunction()

# One benchmark executable per layer, made of every .cpp below bench/<dir>.
function(zerarazi_add_layer_bench name dir layer)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/${dir}/*.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${layer} benchmark::benchmark benchmark::benchmark_main)
endfunction()
