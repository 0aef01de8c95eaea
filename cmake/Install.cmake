include(CMakePackageConfigHelpers)

# Headers keep their paths below each include folder: <prefix>/include/sxmk/..., .../du/... etc.
set(_illsxmk_destinations
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    FILE_SET HEADERS DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# Built against the viewer's SDK: the library and its headers only. A CMake package would have to
# name the viewer's libraries, and the zip would lack them.
if(ILLSXMK_VIEWER_SDK)
    install(TARGETS illsxmk ${_illsxmk_destinations})
    return()
endif()
install(TARGETS illsxmk EXPORT illsxmkTargets ${_illsxmk_destinations})
# The stand-in is an install component of its own: scripts/sdk-build.sh installs it alone
# (cmake --install --component host) to lay it out as the viewer's SDK.
install(TARGETS illsxmk_host EXPORT illsxmkTargets COMPONENT host ${_illsxmk_destinations})
install(EXPORT illsxmkTargets NAMESPACE illsxmk:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/illsxmk)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/illsxmkConfig.cmake.in
    ${CMAKE_BINARY_DIR}/illsxmkConfig.cmake
    INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/illsxmk)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/illsxmkConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/illsxmkConfig.cmake ${CMAKE_BINARY_DIR}/illsxmkConfigVersion.cmake
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/illsxmk)

# A Windows consumer gets everything in one zip (`cpack` in the build folder): the DLLs, their
# import libraries, the headers and the CMake package, below one top folder named after the
# version.
if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
    set(CPACK_PACKAGE_VENDOR ${PROJECT_NAME})
    # Kept apart as well: including CPack leaves CPACK_PACKAGE_FILE_NAME at the source package's.
    set(ILLSXMK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-win32)
    set(CPACK_PACKAGE_FILE_NAME ${ILLSXMK_PACKAGE_FILE_NAME})
    set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Centre line and callout markups, 32-bit Windows DLLs")
    include(CPack)
endif()
