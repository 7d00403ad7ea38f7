# Native build: the portable logic, its GoogleTest tests and the benchmarks.
find_package(GTest REQUIRED)

file(GLOB LC_NATIVE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*_test.cpp)
add_executable(native_tests ${LC_NATIVE_TESTS})
target_link_libraries(native_tests PRIVATE leafcatch_core GTest::gtest_main)
gtest_discover_tests(native_tests DISCOVERY_TIMEOUT 30)

find_package(benchmark QUIET)
if(benchmark_FOUND)
    add_executable(page_bench tests/bench/page_bench.cpp)
    target_link_libraries(page_bench PRIVATE leafcatch_core benchmark::benchmark)
endif()
