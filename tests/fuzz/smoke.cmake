# A short fuzz run for the test run: the committed seeds are copied into WORK
# (never written to), and the target fuzzes from the copy for SECONDS seconds.
# A crash, a hang (10 s on one input) or a leak fails the test; the input that
# did it is left in WORK as crash-*, timeout-* or leak-*.
#
#   cmake -D FUZZER=... -D SEEDS=... -D WORK=... -D SECONDS=... -P smoke.cmake
foreach(name FUZZER SEEDS WORK SECONDS)
    if(NOT DEFINED ${name})
        message(FATAL_ERROR "smoke.cmake: ${name} is not set")
    endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${SEEDS}/ DESTINATION ${WORK}/corpus)

execute_process(
    COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -artifact_prefix=${WORK}/ ${WORK}/corpus
    WORKING_DIRECTORY ${WORK}
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${FUZZER} failed (${result}); the input is in ${WORK}")
endif()
