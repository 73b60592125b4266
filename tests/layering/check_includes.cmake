# Fails when a source file includes a header from a folder above its own. The folders, top to
# bottom: app -> cli, ui -> draw, resources -> engine -> settings -> platform -> base. A folder may include
# its own headers and those of any folder below it; the drawing module implements the engine's
# drawing interface, so it sits above the engine.
# Run: cmake -DSOURCE_ROOT=<src folder> -P check_includes.cmake
if(NOT SOURCE_ROOT)
    message(FATAL_ERROR "SOURCE_ROOT not set")
endif()
get_filename_component(SOURCE_ROOT "${SOURCE_ROOT}" ABSOLUTE)

set(levels app cli ui resources engine draw settings platform base)
set(rank_app 7)
set(rank_cli 6)
set(rank_ui 6)
set(rank_resources 5)
set(rank_engine 4)
set(rank_draw 5)
set(rank_settings 3)
set(rank_platform 2)
set(rank_base 1)

set(violations "")
foreach(folder ${levels})
    file(GLOB_RECURSE sources "${SOURCE_ROOT}/${folder}/*.h" "${SOURCE_ROOT}/${folder}/*.cpp")
    foreach(source ${sources})
        file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z_]+/")
        foreach(line ${lines})
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([a-z_]+)/.*$" "\\1" target "${line}")
            if(NOT DEFINED rank_${target} OR target STREQUAL folder)
                continue()
            endif()
            # Same-level folders (cli and ui, draw and resources) stay apart as well.
            if(NOT rank_${target} LESS rank_${folder})
                file(RELATIVE_PATH shown "${SOURCE_ROOT}" "${source}")
                list(APPEND violations "${shown}: ${line}")
            endif()
        endforeach()
    endforeach()
endforeach()

if(violations)
    list(JOIN violations "\n  " text)
    message(FATAL_ERROR "Includes that point up or sideways:\n  ${text}")
endif()
message(STATUS "Every include points down.")
