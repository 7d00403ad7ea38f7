# The DDE client conversation, the browser query and the stand-in browser.
target_sources(leafcatch_core PRIVATE capture/url_from_reply.cpp)

if(WIN32)
    # DDEML is part of user32.
    target_sources(leafcatch_platform PRIVATE platform/dde_client.cpp)
    target_link_libraries(leafcatch_platform PUBLIC user32)

    # A window program that answers the browser's DDE request, for tests and demos.
    add_executable(stand_in_browser WIN32 tools/stand_in_browser.cpp)
    target_link_libraries(stand_in_browser PRIVATE user32 gdi32)

    lc_windows_test(browser_query_win_test tests/wine/browser_query_win_test.cpp capture/browser_query.cpp)
    target_link_libraries(browser_query_win_test PRIVATE leafcatch_platform)
    add_dependencies(browser_query_win_test stand_in_browser)
endif()
