# Fails unless lrelease compiles each of TS_FILES with every text finished (cmake -P, from the tests).
file(MAKE_DIRECTORY "${WORK_DIR}")
foreach(ts IN LISTS TS_FILES)
    get_filename_component(name "${ts}" NAME_WE)
    execute_process(COMMAND "${LRELEASE}" "${ts}" -qm "${WORK_DIR}/${name}.qm"
        OUTPUT_VARIABLE said ERROR_VARIABLE said RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR NOT said MATCHES "\\(([0-9]+) finished and 0 unfinished\\)" OR said MATCHES "Ignored")
        message(FATAL_ERROR "${name}: not complete\n${said}")
    endif()
    message(STATUS "${name}: ${CMAKE_MATCH_1} texts, all finished")
endforeach()
