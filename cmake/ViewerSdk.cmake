# The viewer's SDK in place of the stand-in (ILLSXMK_VIEWER_SDK=<dir>): its headers in
# <dir>/include and its libraries, named by ILLSXMK_VIEWER_SDK_LIBRARIES, in <dir>/lib. They are
# gathered under the stand-in's target name, illsxmk_host, so that the library's target reads the
# same in both builds. For each name N of the list:
#   Linux:    lib/libN.so
#   Windows:  the import library, lib/libN.dll.a (MinGW) or lib/N.lib (Visual Studio); the DLL,
#             libN.dll or N.dll in bin/ or lib/, when the SDK has it (linking needs only the
#             import library; running the conformance suite and checking the library's imports
#             need the DLLs).
# Sets ILLSXMK_VIEWER_BINARIES: the SDK's shared libraries (Linux) or DLLs (Windows) that the
# binary interface checks and the conformance suite under Wine need, or nothing when a DLL is
# missing.

set(ILLSXMK_VIEWER_SDK_LIBRARIES illsxmk_host CACHE STRING
    "The viewer SDK's libraries, by name (a ;-list): lib/lib<name>.so, lib/lib<name>.dll.a or \
lib/<name>.lib, and the DLLs lib<name>.dll or <name>.dll in bin/ or lib/")

set(_sdk "${ILLSXMK_VIEWER_SDK}")
if(NOT IS_DIRECTORY "${_sdk}/include")
    message(FATAL_ERROR "ILLSXMK_VIEWER_SDK: ${_sdk} has no include/ folder")
endif()
# Names separated by blanks are taken as a list too.
string(REGEX REPLACE "[ \t]+" ";" _names "${ILLSXMK_VIEWER_SDK_LIBRARIES}")
list(REMOVE_ITEM _names "")
if(NOT _names)
    message(FATAL_ERROR "ILLSXMK_VIEWER_SDK_LIBRARIES names no library")
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

# Imported targets' include folders are system folders: the SDK's headers are compiled without
# the library's warnings.
add_library(illsxmk_host INTERFACE IMPORTED)
set_target_properties(illsxmk_host PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${_sdk}/include")
set(ILLSXMK_VIEWER_BINARIES)
set(_found)
set(_missing_dlls)
foreach(_name IN LISTS _names)
    set(_target illsxmk_viewer_sdk_${_name})
    add_library(${_target} SHARED IMPORTED)
    if(WIN32)
        set(_candidates lib/lib${_name}.dll.a lib/${_name}.lib)
        _illsxmk_sdk_file(_library ${_candidates})
        _illsxmk_sdk_file(_dll bin/lib${_name}.dll lib/lib${_name}.dll bin/${_name}.dll
            lib/${_name}.dll)
        if(_library)
            set_target_properties(${_target} PROPERTIES IMPORTED_IMPLIB "${_library}")
        endif()
        if(_dll)
            set_target_properties(${_target} PROPERTIES IMPORTED_LOCATION "${_dll}")
            list(APPEND ILLSXMK_VIEWER_BINARIES "${_dll}")
        else()
            list(APPEND _missing_dlls ${_name})
        endif()
    else()
        set(_candidates lib/lib${_name}.so)
        _illsxmk_sdk_file(_library ${_candidates})
        set_target_properties(${_target} PROPERTIES IMPORTED_LOCATION "${_library}")
        list(APPEND ILLSXMK_VIEWER_BINARIES "${_library}")
    endif()
    if(NOT _library)
        list(JOIN _candidates " or " _candidates)
        message(FATAL_ERROR
            "ILLSXMK_VIEWER_SDK: ${_sdk} has no library ${_name} (${_candidates})")
    endif()
    set_property(TARGET illsxmk_host APPEND PROPERTY INTERFACE_LINK_LIBRARIES ${_target})
    list(APPEND _found "${_library}")
endforeach()
if(_missing_dlls)
    list(JOIN _missing_dlls ", " _missing_dlls)
    message(WARNING "ILLSXMK_VIEWER_SDK: ${_sdk} has no DLL for ${_missing_dlls} (lib<name>.dll "
        "or <name>.dll in bin/ or lib/): the library links, but its imports are not checked, and "
        "the conformance suite is not run under Wine (on Windows it finds the DLLs on PATH)")
    set(ILLSXMK_VIEWER_BINARIES)
endif()

list(JOIN _found ", " _found)
message(STATUS "Building the library alone against the viewer's SDK: ${_found}")
unset(_sdk)
unset(_name)
unset(_target)
unset(_candidates)
unset(_library)
unset(_dll)
unset(_missing_dlls)
unset(_names)
unset(_found)
