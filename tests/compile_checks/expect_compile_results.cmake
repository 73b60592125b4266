# Compiles a compile-check source once per case: case 0 must build, every other case must stop
# the build at the unresolved setting reference (and not for some unrelated reason).
# Arguments: -DCOMPILER=... -DSOURCE_DIR=<project source dir>
#            [-DSOURCE=<file in this folder>] [-DINCLUDES=<more include folders, "|"-separated>]
if(NOT SOURCE)
    set(SOURCE setting_reference.cpp)
endif()
set(source ${CMAKE_CURRENT_LIST_DIR}/${SOURCE})
set(flags -std=c++20 -fsyntax-only -I${SOURCE_DIR}/src)
if(INCLUDES)
    # Qt's headers insist on position-independent code.
    list(APPEND flags -fPIC)
    string(REPLACE "|" ";" folders "${INCLUDES}")
    foreach(folder IN LISTS folders)
        list(APPEND flags -I${folder})
    endforeach()
endif()
foreach(case 0 1 2 3)
    execute_process(
        COMMAND ${COMPILER} ${flags} -DMILLCONV_CASE=${case} ${source}
        RESULT_VARIABLE result
        OUTPUT_VARIABLE output
        ERROR_VARIABLE output)
    if(case EQUAL 0)
        if(NOT result EQUAL 0)
            message(FATAL_ERROR "a correct setting reference failed to compile:\n${output}")
        endif()
    elseif(result EQUAL 0)
        message(FATAL_ERROR "case ${case}: a wrong setting reference compiled")
    elseif(NOT output MATCHES "UnknownSettingReference")
        message(FATAL_ERROR "case ${case} failed for another reason:\n${output}")
    endif()
endforeach()
