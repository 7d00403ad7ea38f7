# The HTTP/1.0 client and its message parsing.
target_sources(leafcatch_core PRIVATE platform/http_message.cpp)

if(WIN32)
    target_sources(leafcatch_platform PRIVATE platform/http_client.cpp)
    target_link_libraries(leafcatch_platform PUBLIC ws2_32)

    # A small scriptable HTTP server for Windows test programs.
    add_library(lc_http_server STATIC tests/wine/http_server.cpp)
    target_link_libraries(lc_http_server PUBLIC ws2_32)

    lc_windows_test(http_client_win_test tests/wine/http_client_win_test.cpp)
    target_link_libraries(http_client_win_test PRIVATE leafcatch_platform lc_http_server)
endif()
