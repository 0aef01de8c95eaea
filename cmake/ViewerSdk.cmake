# The viewer's SDK in place of the stand-in (ILLSXMK_VIEWER_SDK=<dir>): its headers in
# <dir>/include and its library in <dir>/lib, as an imported target under the stand-in's name,
# illsxmk_host, so that the library's target reads the same in both builds.
#   Linux:    lib/libillsxmk_host.so
#   Windows:  the import library, lib/libillsxmk_host.dll.a (MinGW) or lib/illsxmk_host.lib
#             (Visual Studio); the DLL, bin/ or lib/libillsxmk_host.dll, when the SDK has it
#             (linking needs only the import library).

set(_sdk "${ILLSXMK_VIEWER_SDK}")
if(NOT IS_DIRECTORY "${_sdk}/include")
    message(FATAL_ERROR "ILLSXMK_VIEWER_SDK: ${_sdk} has no include/ folder")
endif()

# The first of the candidate files (relative to the SDK folder) that exists, or "".
function(_illsxmk_sdk_file out)
    foreach(candidate IN LISTS ARGN)
        if(EXISTS "${_sdk}/${candidate}")
            set(${out} "${_sdk}/${candidate}" PARENT_SCOPE)
            return()
        endif()
    endforeach()
    set(${out} "" PARENT_SCOPE)
endfunction()

add_library(illsxmk_host SHARED IMPORTED)
set_target_properties(illsxmk_host PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${_sdk}/include")
if(WIN32)
    set(_candidates lib/libillsxmk_host.dll.a lib/illsxmk_host.lib)
    _illsxmk_sdk_file(_library ${_candidates})
    _illsxmk_sdk_file(_dll bin/libillsxmk_host.dll lib/libillsxmk_host.dll)
    if(_library)
        set_target_properties(illsxmk_host PROPERTIES IMPORTED_IMPLIB "${_library}")
    endif()
    if(_dll)
        set_target_properties(illsxmk_host PROPERTIES IMPORTED_LOCATION "${_dll}")
    endif()
else()
    set(_candidates lib/libillsxmk_host.so)
    _illsxmk_sdk_file(_library ${_candidates})
    set_target_properties(illsxmk_host PROPERTIES IMPORTED_LOCATION "${_library}")
endif()
if(NOT _library)
    list(JOIN _candidates " or " _candidates)
    message(FATAL_ERROR "ILLSXMK_VIEWER_SDK: ${_sdk} has no host library (${_candidates})")
endif()

message(STATUS "Building the library alone against the viewer's SDK: ${_library}")
unset(_sdk)
unset(_candidates)
unset(_library)
unset(_dll)
