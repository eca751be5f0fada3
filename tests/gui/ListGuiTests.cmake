# SPDX-License-Identifier: MIT
# Run after each build of the window tests: asks the runner for its test functions and writes
# one ctest entry for each ("gui.<Class>.<function>", label gui) into the file ctest reads.
execute_process(COMMAND ${TEST_EXECUTABLE} --list
                OUTPUT_VARIABLE listed RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${TEST_EXECUTABLE} --list failed: ${result}")
endif()
string(REPLACE "\n" ";" lines "${listed}")
set(script "")
foreach(line ${lines})
    if(line MATCHES "^([A-Za-z0-9_]+) ([A-Za-z0-9_]+)$")
        set(name "gui.${CMAKE_MATCH_1}.${CMAKE_MATCH_2}")
        string(APPEND script
               "add_test(${name} [==[${TEST_EXECUTABLE}]==] ${CMAKE_MATCH_1} ${CMAKE_MATCH_2})\n"
               "set_tests_properties(${name} PROPERTIES LABELS gui)\n")
    endif()
endforeach()
file(WRITE ${CTEST_FILE} "${script}")
