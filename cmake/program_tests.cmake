# End-to-end tests: the real program driven from outside.
function(lc_program_test name)
    lc_windows_test(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE lc_driver)
    add_dependencies(${name} Leafcatch LeafcatchTestBuild)
endfunction()

lc_program_test(app_win_test tests/wine/app_win_test.cpp)

lc_program_test(tool_window_win_test tests/wine/tool_window_win_test.cpp)
lc_program_test(dialog_win_test tests/wine/dialog_win_test.cpp)
lc_program_test(capture_win_test tests/wine/capture_win_test.cpp)
target_link_libraries(capture_win_test PRIVATE lc_http_server)
add_dependencies(capture_win_test stand_in_browser)

# Faults: a nearly full and a read-only file system are mounted around the test.
set(LC_FAULT_FS ${CMAKE_BINARY_DIR}/fault-fs)
add_test(NAME fault_fs_setup COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/fault_fs.sh ${LC_FAULT_FS} setup)
add_test(NAME fault_fs_cleanup COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/fault_fs.sh ${LC_FAULT_FS} cleanup)
set_tests_properties(fault_fs_setup PROPERTIES FIXTURES_SETUP FaultFs)
set_tests_properties(fault_fs_cleanup PROPERTIES FIXTURES_CLEANUP FaultFs)
string(REPLACE "/" "\\\\" LC_FAULT_FS_WINDOWS "Z:${LC_FAULT_FS}")
add_executable(fault_win_test tests/wine/fault_win_test.cpp)
target_link_libraries(fault_win_test PRIVATE leafcatch_core gtest_main lc_driver lc_http_server)
add_dependencies(fault_win_test Leafcatch LeafcatchTestBuild stand_in_browser)
gtest_discover_tests(fault_win_test DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES FIXTURES_REQUIRED FaultFs ENVIRONMENT "LC_FAULT_FS=${LC_FAULT_FS_WINDOWS}")

# Benchmark programs (not tests), run by scripts/bench.sh.
add_executable(capture_bench tests/bench/capture_bench.cpp)
target_link_libraries(capture_bench PRIVATE leafcatch_platform)
add_executable(start_bench tests/bench/start_bench.cpp)
target_link_libraries(start_bench PRIVATE lc_driver)
add_executable(empty_window WIN32 tests/bench/empty_window.cpp)
lc_program_test(visual_win_test tests/wine/visual_win_test.cpp)
