# cmake -P script: pack the Windows build with cpack, unpack the zip, check that it holds what a
# consumer needs, build the consumer against it with the cross compiler and run it under Wine.
include(${CMAKE_CURRENT_LIST_DIR}/ConsumerSteps.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
run(${CPACK} --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR}/pack)
set(zip ${WORK_DIR}/pack/${PACKAGE}.zip)
if(NOT EXISTS ${zip})
    message(FATAL_ERROR "cpack did not make ${zip}")
endif()
file(ARCHIVE_EXTRACT INPUT ${zip} DESTINATION ${WORK_DIR}/unpacked)
set(root ${WORK_DIR}/unpacked/${PACKAGE})
foreach(file bin/libillsxmk.dll bin/libillsxmk_host.dll lib/libillsxmk.dll.a
        lib/libillsxmk_host.dll.a include/sxmk/CenterLineXYZ.h include/sxmk/IllsxmkExport.h
        include/du/SmartPtr.h include/dg/Location.h lib/cmake/illsxmk/illsxmkConfig.cmake
        lib/cmake/illsxmk/illsxmkConfigVersion.cmake lib/cmake/illsxmk/illsxmkTargets.cmake)
    if(NOT EXISTS ${root}/${file})
        message(FATAL_ERROR "${zip} has no ${file}")
    endif()
endforeach()

# The toolchain file searches the MinGW sysroot only; the package is named by its folder.
set(build ${WORK_DIR}/consumer)
run(${CMAKE_COMMAND} -S ${CONSUMER_SOURCE} -B ${build} -G ${GENERATOR}
    -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -Dillsxmk_DIR=${root}/lib/cmake/illsxmk)
run(${CMAKE_COMMAND} --build ${build})
# The DLLs come from the unpacked zip only: the consumer's folder has none of its own.
run(${CMAKE_COMMAND} -E env WINEPATH=${root}/bin
    ${WINE_RUN} --default-prefix=${WINE_PREFIX} ${build}/consumer.exe)
message(STATUS "consumer built against the unpacked zip and ran under Wine")
