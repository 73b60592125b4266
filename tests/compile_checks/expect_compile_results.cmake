# Compiles setting_reference.cpp once per case: case 0 must build, every other case must stop
# the build at the unresolved reference (and not for some unrelated reason).
# Arguments: -DCOMPILER=... -DSOURCE_DIR=<project source dir>
set(source ${CMAKE_CURRENT_LIST_DIR}/setting_reference.cpp)
foreach(case 0 1 2 3)
    execute_process(
        COMMAND ${COMPILER} -std=c++20 -fsyntax-only -I${SOURCE_DIR}/src -DMILLCONV_CASE=${case}
                ${source}
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
