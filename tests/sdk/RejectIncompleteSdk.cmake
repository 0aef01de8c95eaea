# cmake -P script: configuring the project against an SDK folder without include/, or without the
# SDK's library, fails with a message that names what is missing (and does not fall back to the
# stand-in).

# LIBRARIES: the SDK's libraries that the configuration names.
set(LIBRARIES illsxmk_host)
function(expect_refusal sdk mention)
    set(build ${WORK_DIR}/build)
    file(REMOVE_RECURSE ${build})
    execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${build} -G ${GENERATOR}
            -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DILLSXMK_VIEWER_SDK=${sdk}
            "-DILLSXMK_VIEWER_SDK_LIBRARIES=${LIBRARIES}"
        RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(rc EQUAL 0)
        message(FATAL_ERROR "configured against ${sdk}:\n${out}")
    endif()
    # CMake wraps long messages.
    string(REGEX REPLACE "[ \n]+" " " said "${err}")
    string(FIND "${said}" "${mention}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "against ${sdk}, configuring failed without '${mention}':\n${err}")
    endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/no-headers/lib)
file(TOUCH ${WORK_DIR}/no-headers/lib/libillsxmk_host.so)
expect_refusal(${WORK_DIR}/no-headers "${WORK_DIR}/no-headers has no include/ folder")

file(MAKE_DIRECTORY ${WORK_DIR}/no-library/include/du ${WORK_DIR}/no-library/lib)
file(TOUCH ${WORK_DIR}/no-library/include/du/SmartPtr.h ${WORK_DIR}/no-library/lib/libillsxmk.so)
expect_refusal(${WORK_DIR}/no-library
    "${WORK_DIR}/no-library has no library illsxmk_host (lib/libillsxmk_host.so)")
# Each of the SDK's libraries named in ILLSXMK_VIEWER_SDK_LIBRARIES must be there (the names
# separated by blanks here).
file(TOUCH ${WORK_DIR}/no-library/lib/libillsxmk_host.so)
set(LIBRARIES "illsxmk_host viewer_kernel")
expect_refusal(${WORK_DIR}/no-library
    "${WORK_DIR}/no-library has no library viewer_kernel (lib/libviewer_kernel.so)")

# A Windows SDK folder whose DLLs are missing configures (the library links against the import
# libraries), but says so, naming every library whose DLL is missing, and leaves out the
# conformance suite, which could not start under Wine.
if(TOOLCHAIN)
    file(MAKE_DIRECTORY ${WORK_DIR}/no-dlls/include/du ${WORK_DIR}/no-dlls/lib)
    file(TOUCH ${WORK_DIR}/no-dlls/include/du/SmartPtr.h
        ${WORK_DIR}/no-dlls/lib/libviewer_core.dll.a ${WORK_DIR}/no-dlls/lib/libviewer_extra.dll.a)
    set(build ${WORK_DIR}/build-windows)
    execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${build} -G ${GENERATOR}
            -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DILLSXMK_VIEWER_SDK=${WORK_DIR}/no-dlls
            "-DILLSXMK_VIEWER_SDK_LIBRARIES=viewer_core;viewer_extra"
        RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    string(REGEX REPLACE "[ \n]+" " " said "${out}${err}")
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "an SDK folder without DLLs did not configure:\n${out}${err}")
    endif()
    foreach(name viewer_core viewer_extra)
        string(REGEX MATCH "no DLL for [^:]*${name}" named "${said}")
        if(NOT named)
            message(FATAL_ERROR "the missing DLL of ${name} is not named:\n${out}${err}")
        endif()
    endforeach()
    file(READ ${build}/tests/conformance/CTestTestfile.cmake tests)
    if(tests MATCHES "add_test")
        message(FATAL_ERROR "the conformance suite is run without the SDK's DLLs:\n${tests}")
    endif()
endif()
message(STATUS "an incomplete SDK folder is refused")
