# Script mode: writes OUTPUT, a linker dynamic list naming every symbol the modules in MODULES
# (a ;-list of files) leave undefined. The executable exports only those of them it defines;
# names it does not define (the C library's, Qt's) are ignored by the linker.
#   cmake -DNM=<nm> -DOUTPUT=<file> -DMODULES=<a;b> -P ModuleImports.cmake
set(names "")
foreach(module IN LISTS MODULES)
    execute_process(COMMAND ${NM} -D --undefined-only --format=just-symbols ${module}
        OUTPUT_VARIABLE listed RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "cannot list the symbols ${module} imports")
    endif()
    string(REGEX REPLACE "@[^\n]*" "" listed "${listed}") # version suffixes
    string(REGEX REPLACE "\n" ";" listed "${listed}")
    list(APPEND names ${listed})
endforeach()
list(FILTER names EXCLUDE REGEX "^$")
list(REMOVE_DUPLICATES names)
list(SORT names)
set(text "{\n")
foreach(name IN LISTS names)
    string(APPEND text "    ${name};\n")
endforeach()
string(APPEND text "};\n")
# Rewritten only when it changes, so that an unchanged module does not relink the program.
if(EXISTS ${OUTPUT})
    file(READ ${OUTPUT} previous)
endif()
if(NOT previous STREQUAL text)
    file(WRITE ${OUTPUT} "${text}")
endif()
