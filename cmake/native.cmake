# Native build: the portable logic, its GoogleTest tests and the benchmarks.
if(NOT LC_FUZZ)
find_package(GTest REQUIRED)

file(GLOB LC_NATIVE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*_test.cpp)
add_executable(native_tests ${LC_NATIVE_TESTS})
target_link_libraries(native_tests PRIVATE leafcatch_core GTest::gtest_main)
if(LC_SANITIZE)  # the sanitizer tree's tests, named apart from the plain tree's
    gtest_discover_tests(native_tests DISCOVERY_TIMEOUT 30 TEST_PREFIX "asan.")
else()
    gtest_discover_tests(native_tests DISCOVERY_TIMEOUT 30)
endif()

find_package(benchmark QUIET)
if(benchmark_FOUND)
    add_executable(page_bench tests/bench/page_bench.cpp)
    target_link_libraries(page_bench PRIVATE leafcatch_core benchmark::benchmark)
endif()
endif()
