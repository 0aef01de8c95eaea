# The project's version (the project() line is its one source) on the shared libraries: VERSION
# and SOVERSION name the shared objects (libillsxmk.so.0.1.0, .so.0), and on Windows each DLL gets
# a version resource that Explorer and GetFileVersionInfo show.
if(WIN32)
    enable_language(RC)
endif()

function(illsxmk_library_version target description)
    set_target_properties(${target} PROPERTIES
        VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
    if(NOT WIN32)
        return()
    endif()
    get_target_property(name ${target} OUTPUT_NAME)
    if(NOT name)
        set(name ${target})
    endif()
    get_target_property(prefix ${target} PREFIX)
    if(NOT prefix)
        set(prefix "")
    endif()
    set(ILLSXMK_RC_DESCRIPTION "${description}")
    set(ILLSXMK_RC_INTERNAL_NAME "${name}")
    set(ILLSXMK_RC_FILENAME "${prefix}${name}${CMAKE_SHARED_LIBRARY_SUFFIX}")
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionInfo.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()
