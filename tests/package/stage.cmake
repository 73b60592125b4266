# Test fixture: installs the build into a DESTDIR under a prefix that exists nowhere, moves the
# tree away from both (so only paths relative to the installed executable can work) and builds
# the Debian package.
# Run: cmake -DBUILD_DIR=<build folder> -DSTAGE=<scratch folder> -P stage.cmake
foreach(variable BUILD_DIR STAGE)
    if(NOT ${variable})
        message(FATAL_ERROR "${variable} not set")
    endif()
endforeach()

set(prefix /opt/millconv-never-installed)
file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}")
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE}/destdir
            ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
file(RENAME "${STAGE}/destdir${prefix}" "${STAGE}/installed")
file(REMOVE_RECURSE "${STAGE}/destdir")

execute_process(
    COMMAND cpack -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${STAGE}/deb
    OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cpack failed:\n${output}")
endif()
