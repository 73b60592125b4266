# CPack pre-build step for the Debian package, run on the staged tree: gzips the man page and
# the changelog as Debian wants them (cmake --install keeps the plain man page), and computes
# the library dependencies with dpkg-shlibdeps. CPack's own dpkg-shlibdeps run stays off: it
# also adds ldconfig maintainer scripts for any .so under usr/lib/, and the modules are private.
set(root "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")

execute_process(COMMAND gzip -9nf "${root}/${CPACK_MILLCONV_MANDIR}/man1/millconv.1"
                COMMAND_ERROR_IS_FATAL ANY)
file(COPY_FILE "${CPACK_MILLCONV_CHANGELOG}" "${root}/${CPACK_MILLCONV_DOCDIR}/changelog")
execute_process(COMMAND gzip -9nf "${root}/${CPACK_MILLCONV_DOCDIR}/changelog"
                COMMAND_ERROR_IS_FATAL ANY)

# dpkg-shlibdeps wants a debian/control beside it; the modules take the executable's symbols,
# which it cannot place in any package, so those warnings are silenced.
set(work "${CPACK_TOPLEVEL_DIRECTORY}/shlibdeps")
file(MAKE_DIRECTORY "${work}/debian")
file(WRITE "${work}/debian/control" "Source: millconv\n\nPackage: millconv\nArchitecture: any\n")
file(GLOB modules "${root}/${CPACK_MILLCONV_MODULEDIR}/*.so")
execute_process(
    COMMAND dpkg-shlibdeps -O --warnings=0 "${root}/${CPACK_MILLCONV_BINDIR}/millconv" ${modules}
    WORKING_DIRECTORY "${work}"
    OUTPUT_VARIABLE substitution OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
string(REGEX REPLACE "^shlibs:Depends=" "" libraries "${substitution}")
if(libraries STREQUAL "" OR libraries STREQUAL substitution)
    message(FATAL_ERROR "dpkg-shlibdeps gave no dependencies: ${substitution}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CPACK_DEBIAN_PACKAGE_DEPENDS}, ${libraries}")
