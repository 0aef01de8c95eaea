# The library's binary interface, checked on the built library: the names it exports
# (interface_exports), the names it imports from the viewer's libraries (interface_imports) and
# its virtual tables (interface_vtables). Included by tests/interface in the normal build, where
# the checkers' own tests come too, and by the top folder in the build against the viewer's SDK,
# where the viewer's libraries are the SDK's (ILLSXMK_VIEWER_BINARIES: shared libraries, or DLLs).

set(_here ${CMAKE_CURRENT_LIST_DIR})
set(_names ${_here}/exported_names.txt)
set(_vtables ${_here}/vtables.txt)
set(_work ${CMAKE_BINARY_DIR}/interface_checks)
# In the normal build the checks' failures are errors of the project, which its CI provides for;
# against an SDK a missing tool only means fewer checks.
if(ILLSXMK_VIEWER_SDK)
    set(_required)
else()
    set(_required REQUIRED)
endif()

# The checkers are Python scripts (scripts/install-deps.sh installs python3) that read the
# binaries with binutils; Visual Studio's binaries and class layout are not theirs.
find_package(Python3 ${_required} COMPONENTS Interpreter)
if(NOT Python3_FOUND OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    message(STATUS "Binary interface checks need Python 3 and GCC or clang binaries: not run")
    return()
endif()
if(WIN32)
    find_program(ILLSXMK_CXXFILT NAMES ${ILLSXMK_MINGW_TRIPLE}-c++filt c++filt ${_required})
else()
    find_program(ILLSXMK_CXXFILT NAMES c++filt ${_required})
endif()
if(NOT ILLSXMK_CXXFILT)
    message(STATUS "Binary interface checks need c++filt: not run")
    return()
endif()
set(_expectFailure ${Python3_EXECUTABLE} ${_here}/expect_failure.py)

# The viewer's DLLs by file name, as the library's import table names them.
set(_viewerDlls)
foreach(_binary IN LISTS ILLSXMK_VIEWER_BINARIES)
    list(APPEND _viewerDlls "$<PATH:GET_FILENAME,${_binary}>")
endforeach()

# Exported names: the dynamic symbol table of the .so, the export table of the DLL.
if(WIN32)
    set(_checkExports ${Python3_EXECUTABLE} ${_here}/check_exports.py --format pe
        --objdump ${CMAKE_OBJDUMP} --cxxfilt ${ILLSXMK_CXXFILT} --machine i386)
    # Static runtime: besides the viewer's DLLs, nothing but the system's own.
    if(_viewerDlls)
        list(JOIN _viewerDlls "," _dllList)
        set(_libraryImports --imports "KERNEL32.dll,msvcrt.dll,${_dllList}")
    else()
        set(_libraryImports)
    endif()
else()
    set(_checkExports ${Python3_EXECUTABLE} ${_here}/check_exports.py --format elf --nm ${CMAKE_NM})
    set(_libraryImports)
endif()
add_test(NAME interface_exports
    COMMAND ${_checkExports} --library $<TARGET_FILE:illsxmk> --expected ${_names}
        ${_libraryImports})
set_tests_properties(interface_exports PROPERTIES LABELS interface)
if(NOT ILLSXMK_VIEWER_SDK)
    # The checker must notice a misspelt name, an exported function missing from the list, a
    # forbidden name that is exported and a name of the viewer's that is defined strongly.
    add_test(NAME interface_exports_rejects_misspelt_name
        COMMAND ${_expectFailure} --expectation ${_names}
            --replace-line "sxmk::CenterLineXYZ::GetStartExtention() const"
                           "sxmk::CenterLineXYZ::GetStartExtension() const"
            --mention "not exported: sxmk::CenterLineXYZ::GetStartExtension() const"
            -- ${_checkExports} --library $<TARGET_FILE:illsxmk> --expected @EXPECTED@)
    add_test(NAME interface_exports_rejects_unlisted_function
        COMMAND ${_expectFailure} --expectation ${_names}
            --replace-line "sxmk::CenterLineXYZShadow::ResetExtention()" ""
            --mention "exported but not listed: sxmk::CenterLineXYZShadow::ResetExtention()"
            -- ${_checkExports} --library $<TARGET_FILE:illsxmk> --expected @EXPECTED@)
    add_test(NAME interface_exports_rejects_forbidden_name
        COMMAND ${_expectFailure} --expectation ${_names}
            --replace-line "!CenterLineXYZShadowPickEvent" "!CenterLineXYZShadow::"
            --mention "exported although forbidden (CenterLineXYZShadow::)"
            -- ${_checkExports} --library $<TARGET_FILE:illsxmk> --expected @EXPECTED@)
    set_tests_properties(interface_exports_rejects_misspelt_name
        interface_exports_rejects_unlisted_function interface_exports_rejects_forbidden_name
        PROPERTIES LABELS interface)
endif()

# Imported names: what the library takes from the viewer's libraries must be what the viewer
# provides, or the viewer's loader refuses the library. ELF: undefined symbols that the viewer's
# libraries define; PE: the import table's entries for the viewer's DLLs.
set(_viewerImports ${_here}/viewer_imports.txt)
# The heap test builds (tests/heap) import more from the stand-in: class-level allocation of its
# nodes, or its heap under the library's global new and delete. Their lists are added to the
# mingw build's.
set(_heapImportLists)
if(ILLSXMK_HOST_NODE_ALLOCATION)
    list(APPEND _heapImportLists ${PROJECT_SOURCE_DIR}/tests/heap/node_allocation_imports.txt)
endif()
if(ILLSXMK_LIBRARY_ON_HOST_HEAP)
    list(APPEND _heapImportLists ${PROJECT_SOURCE_DIR}/tests/heap/library_on_host_heap_imports.txt)
endif()
if(_heapImportLists)
    file(READ ${_viewerImports} _importsText)
    foreach(_heapImports ${_heapImportLists})
        file(READ ${_heapImports} _heapImportsText)
        string(APPEND _importsText "\n${_heapImportsText}")
    endforeach()
    set(_viewerImports ${_work}/viewer_imports_heap_build.txt)
    file(GENERATE OUTPUT ${_viewerImports} CONTENT "${_importsText}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
        ${_here}/viewer_imports.txt ${_heapImportLists})
endif()
if(WIN32)
    set(_checkImports ${Python3_EXECUTABLE} ${_here}/check_imports.py --format pe
        --objdump ${CMAKE_OBJDUMP} --cxxfilt ${ILLSXMK_CXXFILT})
    set(_hosts ${_viewerDlls})
else()
    set(_checkImports ${Python3_EXECUTABLE} ${_here}/check_imports.py --format elf
        --nm ${CMAKE_NM} --cxxfilt ${ILLSXMK_CXXFILT})
    set(_hosts ${ILLSXMK_VIEWER_BINARIES})
endif()
# The list names the builds that import each name: this build's kind.
set(_importBuilds gcc gcc-ubsan libcxx-ubsan mingw)
if(WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    set(_importBuild mingw)
elseif(WIN32)
    set(_importBuild windows-${CMAKE_CXX_COMPILER_ID})
elseif(CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND CMAKE_CXX_FLAGS MATCHES "-stdlib=libc\\+\\+")
    set(_importBuild libcxx)
elseif(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    set(_importBuild gcc)
else()
    set(_importBuild ${CMAKE_CXX_COMPILER_ID})
endif()
if(ILLSXMK_SANITIZE MATCHES "undefined")
    string(APPEND _importBuild "-ubsan")
elseif(_importBuild MATCHES "^(gcc|mingw)$"
       AND NOT CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
    # Without optimisation g++ also takes the table of a base whose constructor it does not
    # inline (the coverage build): the list follows the optimised builds.
    string(APPEND _importBuild "-unoptimised")
endif()
if(NOT _hosts)
    message(STATUS "Import list: the viewer's DLLs are not known; interface_imports not run")
elseif(NOT _importBuild IN_LIST _importBuilds)
    # A kind of build the list does not follow yet: its imports are close to those of one that it
    # follows, but not listed as its own.
    message(STATUS "Import list: ${_importBuild} builds are not listed; interface_imports not run")
else()
    list(APPEND _checkImports --library $<TARGET_FILE:illsxmk> --build ${_importBuild})
    foreach(_host IN LISTS _hosts)
        list(APPEND _checkImports --host ${_host})
    endforeach()
    add_test(NAME interface_imports COMMAND ${_checkImports} --expected ${_viewerImports})
    set_tests_properties(interface_imports PROPERTIES LABELS interface)
    if(NOT ILLSXMK_VIEWER_SDK)
        # The checker must notice an import that the list lacks, and a name listed that is not
        # imported.
        add_test(NAME interface_imports_rejects_unlisted_import
            COMMAND ${_expectFailure} --expectation ${_viewerImports}
                --replace-line "sxk::Markup::NotifyContentChanged() | all" ""
                --mention "imported but not listed: sxk::Markup::NotifyContentChanged()"
                -- ${_checkImports} --expected @EXPECTED@)
        add_test(NAME interface_imports_rejects_name_not_imported
            COMMAND ${_expectFailure} --expectation ${_viewerImports}
                --replace-line "dg::DVec3::Normalize() | all" "dg::DVec3::Normalise() | all"
                --mention "listed for ${_importBuild}, not imported: dg::DVec3::Normalise()"
                -- ${_checkImports} --expected @EXPECTED@)
        # Its reading of import tables in the cases that today's DLL does not show.
        add_test(NAME interface_imports_checker_cases
            COMMAND ${Python3_EXECUTABLE} ${_here}/test_check_imports.py)
        set_tests_properties(interface_imports_checker_cases
            PROPERTIES ENVIRONMENT CXXFILT=${ILLSXMK_CXXFILT})
        set_tests_properties(interface_imports_rejects_unlisted_import
            interface_imports_rejects_name_not_imported interface_imports_checker_cases
            PROPERTIES LABELS interface)
    endif()
endif()

# Virtual tables, as this build's compiler lays them out (GCC's class dump: the Itanium layout
# of GCC and MinGW).
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    message(STATUS "Virtual-table check needs GCC's -fdump-lang-class: not run with "
                   "${CMAKE_CXX_COMPILER_ID}")
    return()
endif()
# The probe sees the include folders that the library's consumers get (the viewer's headers
# among them), and the library's own folder for the pick event.
set(_probeFlags ${_work}/vtable_probe_flags.rsp)
string(CONCAT _probeFlagsText "-std=c++17\n"
    "-I$<JOIN:$<TARGET_PROPERTY:illsxmk,INTERFACE_INCLUDE_DIRECTORIES>,\n-I>\n"
    "-I${PROJECT_SOURCE_DIR}/centerline_shadow/src\n")
file(GENERATE OUTPUT ${_probeFlags} CONTENT "${_probeFlagsText}")
set(_probeCompile ${CMAKE_CXX_COMPILER} @${_probeFlags} ${_here}/vtable_probe.cpp)
set(_checkVtables ${Python3_EXECUTABLE} ${_here}/check_vtables.py --cxxfilt ${ILLSXMK_CXXFILT})
add_test(NAME interface_vtables
    COMMAND ${_checkVtables} --expected ${_vtables} -- ${_probeCompile})
set_tests_properties(interface_vtables PROPERTIES LABELS interface)
if(NOT ILLSXMK_VIEWER_SDK)
    add_test(NAME interface_vtables_rejects_swapped_slots
        COMMAND ${_expectFailure} --expectation ${_vtables}
            --swap-lines "sxmk::CenterLineXYZShadow::HandleDragStep"
                         "sxmk::CenterLineXYZShadow::HandleDragStop"
            --mention "sxmk::CenterLineXYZShadow: table 0 differs"
            -- ${_checkVtables} --expected @EXPECTED@ -- ${_probeCompile})
    add_test(NAME interface_vtables_rejects_wrong_provider
        COMMAND ${_expectFailure} --expectation ${_vtables}
            --replace-line "sxmk::Label::OnRemovedFromHolder" "sxmk::Markup::OnRemovedFromHolder"
            --mention "sxmk::CalloutLabel: table 0 differs"
            -- ${_checkVtables} --expected @EXPECTED@ -- ${_probeCompile})
    set_tests_properties(interface_vtables_rejects_swapped_slots
        interface_vtables_rejects_wrong_provider PROPERTIES LABELS interface)
endif()
