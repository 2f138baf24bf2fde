# The layer rules as include lines must keep them: no folder includes from a layer above it, and
# the battery code and the battery readers below it stay clear of start-up and of the windows.
# Run by the test layers.includes: cmake -DSOURCE_DIR=<the project> -P LayerIncludes.cmake
set(broken)

# Every include line in `folder` that names a header below one of the other arguments.
function(forbid folder)
    file(GLOB_RECURSE files ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
    foreach(file IN LISTS files)
        file(STRINGS ${file} includes REGEX "^#include \"")
        foreach(line IN LISTS includes)
            foreach(banned IN LISTS ARGN)
                if(line MATCHES "^#include \"${banned}/")
                    file(RELATIVE_PATH name ${SOURCE_DIR} ${file})
                    list(APPEND broken "${name}: ${line}")
                endif()
            endforeach()
        endforeach()
    endforeach()
    set(broken ${broken} PARENT_SCOPE)
endfunction()

forbid(platform runtime battery history app)
forbid(runtime/core runtime/ui battery history app)
forbid(runtime/ui battery history app)
forbid(battery history app platform/startup platform/appkit)
forbid(history app platform/startup platform/appkit platform/display)
forbid(platform/iokit platform/startup platform/appkit)
# The privileged service shares no code with the application.
forbid(privileged platform runtime battery history app)

if(broken)
    list(JOIN broken "\n  " lines)
    message(FATAL_ERROR "includes that break the layer rules:\n  ${lines}")
endif()
