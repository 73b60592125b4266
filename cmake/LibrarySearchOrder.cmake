# The dynamic loader resolves every symbol of every library by walking the program's libraries
# in load order, executable first, then its own dependencies, then theirs. FreeImage brings
# some twenty-five libraries with thousands of relocations, most of them C++ symbols of a
# handful of them; each look-up passes every library before the one that defines the symbol.
# Walking that list is the largest single cost of a small conversion.
#
# millconv_library_search_order(<library> <out-var>) links a probe program against <library>,
# runs it once with the loader's trace and returns, in <out-var>, the libraries that loading
# <library> brings in and that bound at least fifty symbols, most bound first: a library deep
# in the tree (libtiff's LERC codec, say) that binds hundreds of symbols is worth more near the
# front than a direct dependency that binds a few. The C++ runtime and the C library always
# lead, so that their definitions keep winning over any copies elsewhere. Every library listed
# is one the probe loaded, so the program loads nothing that <library> does not. It returns an
# empty list when anything fails, and the link then stays as the linker would make it.

function(millconv_library_search_order library out_var)
    set(${out_var} "" PARENT_SCOPE)
    set(dir ${CMAKE_BINARY_DIR}/library-search-order)
    file(MAKE_DIRECTORY ${dir})
    file(WRITE ${dir}/probe.c
        "#include <FreeImage.h>\nint main(void) { return FreeImage_GetVersion() == 0; }\n")
    execute_process(
        COMMAND ${CMAKE_C_COMPILER} -I${FREEIMAGE_INCLUDE_DIR} ${dir}/probe.c -o ${dir}/probe
                ${library}
        RESULT_VARIABLE built OUTPUT_QUIET ERROR_QUIET)
    if(NOT built EQUAL 0)
        return()
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -E env LD_DEBUG=files,bindings ${dir}/probe
        RESULT_VARIABLE ran OUTPUT_QUIET ERROR_VARIABLE trace)
    if(NOT ran EQUAL 0)
        return()
    endif()
    # "file=B [0];  needed by A [0]": every library the probe loaded, by file name.
    string(REGEX MATCHALL "file=[^ ]+ \\[0\\];  needed by" loaded "${trace}")
    list(TRANSFORM loaded REPLACE "file=([^ ]*/)?([^ /]+) .*" "\\2")
    # "binding file A [0] to B [0]: normal symbol `name'": keep B's file name.
    string(REGEX MATCHALL " to [^ ]+ \\[" targets "${trace}")
    list(TRANSFORM targets REPLACE " to ([^ ]*/)?([^ /]+) \\[" "\\2")
    set(names ${targets})
    list(REMOVE_DUPLICATES names)
    set(counted "")
    foreach(name IN LISTS names)
        # The runtime libraries come first anyway; the loader itself is never listed.
        if(NOT name IN_LIST loaded OR
           name MATCHES "^(libc\\.so.*|libstdc\\+\\+\\.so.*|ld-linux.*)$")
            continue()
        endif()
        set(hits ${targets})
        string(REGEX REPLACE "([][+.*()^$?|\\\\])" "\\\\\\1" pattern "${name}")
        list(FILTER hits INCLUDE REGEX "^${pattern}$")
        list(LENGTH hits count)
        if(count GREATER_EQUAL 50)
            math(EXPR padded "1000000 + ${count}")
            list(APPEND counted "${padded}:${name}")
        endif()
    endforeach()
    list(SORT counted COMPARE NATURAL ORDER DESCENDING)
    list(TRANSFORM counted REPLACE "^[0-9]+:" "")
    if(counted)
        set(${out_var} libstdc++.so.6 libc.so.6 ${counted} PARENT_SCOPE)
    endif()
endfunction()
