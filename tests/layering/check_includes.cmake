# Fails when a source file includes a header from a folder above its own. The folders, top to
# bottom: app -> cli, ui -> job, draw, resources -> engine -> settings -> platform -> base. A
# folder may include its own headers and those of any folder below it; the drawing module
# implements the engine's drawing interface, so it sits above the engine, and the job record the
# front ends build runs from sits above the engine, so the engine cannot read it.
# Inside a folder, two files (a header and its source count as one) may not include each other.
# Run: cmake -DSOURCE_ROOT=<src folder> -P check_includes.cmake
cmake_minimum_required(VERSION 3.25)
if(NOT SOURCE_ROOT)
    message(FATAL_ERROR "SOURCE_ROOT not set")
endif()
get_filename_component(SOURCE_ROOT "${SOURCE_ROOT}" ABSOLUTE)

set(levels app cli ui job resources engine draw settings platform base)
set(rank_app 7)
set(rank_cli 6)
set(rank_ui 6)
set(rank_job 5)
set(rank_resources 5)
set(rank_engine 4)
set(rank_draw 5)
set(rank_settings 3)
set(rank_platform 2)
set(rank_base 1)


set(violations "")
set(edges "")
foreach(folder ${levels})
    file(GLOB_RECURSE sources "${SOURCE_ROOT}/${folder}/*.h" "${SOURCE_ROOT}/${folder}/*.cpp")
    foreach(source ${sources})
        file(RELATIVE_PATH unit "${SOURCE_ROOT}" "${source}")
        string(REGEX REPLACE "\\.(h|cpp)$" "" unit "${unit}")
        file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z_]+/")
        foreach(line ${lines})
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([a-z_]+)/.*$" "\\1" target "${line}")
            if(target STREQUAL folder)
                string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\\.h\".*$" "\\1" included
                       "${line}")
                if(NOT included STREQUAL unit)
                    list(APPEND edges "${unit}>${included}")
                endif()
            endif()
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

foreach(edge ${edges})
    string(REPLACE ">" ";" ends "${edge}")
    list(GET ends 0 from)
    list(GET ends 1 to)
    if("${to}>${from}" IN_LIST edges AND from STRLESS to)
        list(APPEND violations "${from} and ${to} include each other")
    endif()
endforeach()

if(violations)
    list(JOIN violations "\n  " text)
    message(FATAL_ERROR "Includes that point up or sideways, or both ways:\n  ${text}")
endif()
message(STATUS "Every include points down.")
