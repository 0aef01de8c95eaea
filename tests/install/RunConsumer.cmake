# cmake -P script: install, configure and build the consumer, run it. With REPLAY_SCENARIO, the
# installed illsxmk-replay plays it, so the tool is installed and finds the installed libraries.
include(${CMAKE_CURRENT_LIST_DIR}/ConsumerSteps.cmake)

file(REMOVE_RECURSE ${PREFIX} ${CONSUMER_BUILD})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX})
run(${CMAKE_COMMAND} -S ${CONSUMER_SOURCE} -B ${CONSUMER_BUILD} -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${PREFIX} -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
    "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${CXX_FLAGS}")
run(${CMAKE_COMMAND} --build ${CONSUMER_BUILD})
run(${CONSUMER_BUILD}/consumer)
if(REPLAY_SCENARIO)
    run(${PREFIX}/bin/illsxmk-replay ${REPLAY_SCENARIO} --out ${CONSUMER_BUILD}/replay)
endif()
message(STATUS "consumer built against the installed package and ran")
