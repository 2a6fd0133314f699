# -DBUILT=build/wasm/bin/talvex.js -DKEPT=web/talvex.js
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${BUILT} ${KEPT} RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "web/talvex.js is not the library's current build: after a change to the library, "
                      "cmake --build --preset wasm and copy ${BUILT} to web/talvex.js")
endif()
