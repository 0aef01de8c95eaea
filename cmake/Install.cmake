include(CMakePackageConfigHelpers)

install(TARGETS illsxmk illsxmk_host EXPORT illsxmkTargets
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
foreach(dir host/include common/include centerline/include centerline_shadow/include callout/include)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/${dir}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        FILES_MATCHING PATTERN "*.h")
endforeach()
install(EXPORT illsxmkTargets NAMESPACE illsxmk:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/illsxmk)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/illsxmkConfig.cmake.in
    ${CMAKE_BINARY_DIR}/illsxmkConfig.cmake
    INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/illsxmk)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/illsxmkConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/illsxmkConfig.cmake ${CMAKE_BINARY_DIR}/illsxmkConfigVersion.cmake
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/illsxmk)
