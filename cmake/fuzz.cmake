# Fuzz targets (clang, libFuzzer) for the parsers of outside input.
#
# The fuzz preset sets LC_FUZZ and builds everything with
# -fsanitize=fuzzer-no-link,address,undefined; the targets themselves add
# -fsanitize=fuzzer, which brings libFuzzer's main. Neither the GoogleTest tests
# nor the benchmarks are built in that tree.
option(LC_FUZZ "Build the libFuzzer targets instead of the native tests" OFF)
if(NOT LC_FUZZ)
    return()
endif()

if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "The fuzz targets need clang (libFuzzer); use the fuzz preset")
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# clang compiles string literals to UTF-8 only: drop -fexec-charset=CP932 and
# compile copies of the portable sources whose literals already hold the
# Shift-JIS bytes (tests/fuzz/cp932_literals.py).
set(LC_CHARSET_OPTIONS -finput-charset=UTF-8 -fexec-charset=CP932)
get_target_property(LC_CORE_OPTIONS leafcatch_core COMPILE_OPTIONS)
list(REMOVE_ITEM LC_CORE_OPTIONS ${LC_CHARSET_OPTIONS})
set_property(TARGET leafcatch_core PROPERTY COMPILE_OPTIONS ${LC_CORE_OPTIONS})
get_directory_property(LC_DIR_OPTIONS COMPILE_OPTIONS)
list(REMOVE_ITEM LC_DIR_OPTIONS ${LC_CHARSET_OPTIONS})
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${LC_DIR_OPTIONS}")

set(LC_CP932_SCRIPT ${CMAKE_SOURCE_DIR}/tests/fuzz/cp932_literals.py)
get_target_property(LC_CORE_SOURCES leafcatch_core SOURCES)
set(LC_FUZZ_CORE_SOURCES)
foreach(source IN LISTS LC_CORE_SOURCES)
    if(source MATCHES "^\\$<")
        # A generator expression: platform/file_posix.cpp here, which is plain ASCII.
        list(APPEND LC_FUZZ_CORE_SOURCES "${source}")
        continue()
    endif()
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${CMAKE_SOURCE_DIR} OUTPUT_VARIABLE original)
    cmake_path(RELATIVE_PATH original BASE_DIRECTORY ${CMAKE_SOURCE_DIR} OUTPUT_VARIABLE relative)
    set(copy ${CMAKE_BINARY_DIR}/cp932/${relative})
    cmake_path(GET copy PARENT_PATH copyDir)
    add_custom_command(
        OUTPUT ${copy}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${copyDir}
        COMMAND Python3::Interpreter ${LC_CP932_SCRIPT} ${original} ${copy}
        DEPENDS ${original} ${LC_CP932_SCRIPT}
        COMMENT "Shift-JIS literals: ${relative}"
        VERBATIM)
    list(APPEND LC_FUZZ_CORE_SOURCES ${copy})
endforeach()
set_property(TARGET leafcatch_core PROPERTY SOURCES ${LC_FUZZ_CORE_SOURCES})

# One target per parser of outside input; each has a seed corpus in
# tests/fuzz/corpus/<target>/. The CTest smoke run copies the seeds into the
# build tree and fuzzes from there for a few seconds.
set(LC_FUZZ_TARGETS fuzz_http_message fuzz_url fuzz_settings fuzz_url_from_reply fuzz_page)
set(LC_FUZZ_SMOKE_SECONDS 3 CACHE STRING "Seconds each fuzz target runs in the test run")
foreach(target IN LISTS LC_FUZZ_TARGETS)
    add_executable(${target} tests/fuzz/${target}.cpp)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${target} PRIVATE leafcatch_core)
    add_test(NAME fuzz.${target}
             COMMAND ${CMAKE_COMMAND}
                     -D FUZZER=$<TARGET_FILE:${target}>
                     -D SEEDS=${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${target}
                     -D WORK=${CMAKE_BINARY_DIR}/smoke/${target}
                     -D SECONDS=${LC_FUZZ_SMOKE_SECONDS}
                     -P ${CMAKE_SOURCE_DIR}/tests/fuzz/smoke.cmake)
    set_tests_properties(fuzz.${target} PROPERTIES TIMEOUT 120)
endforeach()
