# Desktop integration (menu entry, icons, software-centre data) and the Debian package.

# The desktop icons: the application image drawn by the theme builder at the hicolor sizes,
# plus the same windmill as a scalable picture.
if(TARGET millconv_theme_builder)
    set(MILLCONV_ICON_SIZES 16 24 32 48 64 128 256)
    set(MILLCONV_ICONS "")
    foreach(size ${MILLCONV_ICON_SIZES})
        list(APPEND MILLCONV_ICONS
             ${PROJECT_BINARY_DIR}/icons/hicolor/${size}x${size}/apps/millconv.png)
    endforeach()
    add_custom_command(OUTPUT ${MILLCONV_ICONS}
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
                $<TARGET_FILE:millconv_theme_builder> --icons ${PROJECT_BINARY_DIR}/icons
        DEPENDS millconv_theme_builder
        COMMENT "Drawing the desktop icons")
    add_custom_target(millconv_icons ALL DEPENDS ${MILLCONV_ICONS})
    install(DIRECTORY ${PROJECT_BINARY_DIR}/icons/hicolor
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
    install(FILES packaging/millconv.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
install(FILES packaging/millconv.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/millconv.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/copyright DESTINATION ${MILLCONV_DOC_INSTALL_DIR})
install(FILES packaging/millconv-watch.service DESTINATION ${MILLCONV_DOC_INSTALL_DIR}/examples)

# cpack -G DEB in a build folder makes millconv_2.9.0_amd64.deb.
set(CPACK_PACKAGE_NAME millconv)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0)
set(CPACK_PACKAGE_VENDOR Pixelmill)
set(CPACK_PACKAGE_CONTACT "Pixelmill <support@pixelmill.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "PNG to TGA image converter (console and Qt window)")
set(CPACK_PACKAGE_DESCRIPTION
    "Pixelmill PNG to TGA turns PNG images into TGA images and can rotate,\n\
resize, flip, adjust colours, draw a solid frame and stamp a text or\n\
picture watermark on the way. One program converts on the console\n\
(millconv -i FILE) and shows a window otherwise.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.pixelmill.example/millconv/)
# The fonts the default watermark and window name; packaging/prepare_package.cmake adds the
# libraries dpkg-shlibdeps finds.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-dejavu-core")
# Links, the manual (F1) and mail are opened with xdg-open; without it they silently do nothing.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
set(CPACK_MILLCONV_CHANGELOG ${PROJECT_SOURCE_DIR}/packaging/changelog)
set(CPACK_MILLCONV_BINDIR ${CMAKE_INSTALL_BINDIR})
set(CPACK_MILLCONV_MODULEDIR ${MILLCONV_MODULE_INSTALL_DIR})
set(CPACK_MILLCONV_MANDIR ${CMAKE_INSTALL_MANDIR})
set(CPACK_MILLCONV_DOCDIR ${MILLCONV_DOC_INSTALL_DIR})
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/prepare_package.cmake)
include(CPack)
