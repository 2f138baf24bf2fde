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

# One test executable per layer, made of every *_test.cpp below tests/<dir>. Each test is a test
# of its own, in a process of its own; in a sanitizer build, where starting a process costs a
# quarter of a second, a layer's tests run together in one process, unless EACH_ALONE (tests that
# start the application and are slow anyway).
function(zerarazi_add_layer_tests name dir layer)
    cmake_parse_arguments(TESTS "EACH_ALONE" "" "" ${ARGN})
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
    # Test files are compiled eight at a time (their helpers must not share names), and a test
    # fixture in an unnamed namespace is not a warning in an included file either.
    set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
    target_compile_options(${name} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Wno-subobject-linkage>)
    # Fontconfig, which the desktop display's drawing loads, keeps its caches until the end.
    set(environment "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/desktop/leaks.supp")
    if((ZERARAZI_SANITIZE OR ZERARAZI_FUZZ) AND NOT TESTS_EACH_ALONE)
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}")
    else()
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                             PROPERTIES ENVIRONMENT "${environment}")
    endif()
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

# Fails the configuration when a source below one of DIRS includes a header below one of
# FORBIDDEN: the folders inside a layer have an order of their own, which the linker cannot see.
function(zerarazi_forbid_includes)
    cmake_parse_arguments(RULE "" "" "DIRS;FORBIDDEN" ${ARGN})
    foreach(dir IN LISTS RULE_DIRS)
        file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.h
             ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
        foreach(source IN LISTS sources)
            file(STRINGS ${source} includes REGEX "^#include \"")
            foreach(forbidden IN LISTS RULE_FORBIDDEN)
                set(found ${includes})
                list(FILTER found INCLUDE REGEX "\"${forbidden}/")
                if(found)
                    message(FATAL_ERROR "${source}: ${found}: ${dir} may not use ${forbidden}")
                endif()
            endforeach()
        endforeach()
    endforeach()
endfunction()
