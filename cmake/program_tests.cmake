# End-to-end tests: the real program driven from outside.
function(lc_program_test name)
    lc_windows_test(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE lc_driver)
    add_dependencies(${name} Leafcatch)
endfunction()

lc_program_test(app_win_test tests/wine/app_win_test.cpp)

lc_program_test(tool_window_win_test tests/wine/tool_window_win_test.cpp)
lc_program_test(dialog_win_test tests/wine/dialog_win_test.cpp)
lc_program_test(capture_win_test tests/wine/capture_win_test.cpp)
target_link_libraries(capture_win_test PRIVATE lc_http_server)
add_dependencies(capture_win_test stand_in_browser)
