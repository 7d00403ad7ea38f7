# Windows builds (mingw-w64): static programs that import only system DLLs.
add_link_options(-static -static-libgcc -static-libstdc++)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX)

# GoogleTest for Windows, built from Debian's sources.
set(LC_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${LC_GOOGLETEST_SOURCE} googletest EXCLUDE_FROM_ALL)
foreach(target gtest gtest_main)
    target_compile_options(${target} PRIVATE -w)
endforeach()

# Windows test programs, run under Wine through the crosscompiling emulator.
function(lc_windows_test name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE leafcatch_core gtest_main)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
endfunction()

lc_windows_test(page_file_win_test tests/wine/page_file_win_test.cpp)

# Pictures, icon, version resource and manifest of the program.
include(cmake/pictures.cmake)
# The library that drives the real program from Windows test programs.
include(cmake/driver.cmake)

# The thin layer over Win32 that the program's windows are built on.
add_library(leafcatch_platform STATIC
    platform/application.cpp
    platform/controls.cpp
    platform/form.cpp
    platform/registry.cpp
)
target_link_libraries(leafcatch_platform PUBLIC leafcatch_core comctl32 comdlg32 shell32 gdi32 user32 advapi32)

# The program.
set(LC_PROGRAM_SOURCES
    app/leafcatch.cpp
    app/U_leafcatch.cpp
    settings/U_leafcatch2.cpp
    settings/browser_path.cpp
    settings/settings.cpp
    capture/U_leafcatch3.cpp
    capture/browser_query.cpp
    capture/query_browser_url.cpp
)
add_executable(Leafcatch WIN32 ${LC_PROGRAM_SOURCES})
target_link_libraries(Leafcatch PRIVATE leafcatch_platform)
lc_add_resources(Leafcatch)

# The same program whose HTTP limits tests may shorten through its environment.
add_executable(LeafcatchTestBuild WIN32 ${LC_PROGRAM_SOURCES})
target_compile_definitions(LeafcatchTestBuild PRIVATE LC_TEST_BUILD)
target_link_libraries(LeafcatchTestBuild PRIVATE leafcatch_platform)
lc_add_resources(LeafcatchTestBuild)

lc_windows_test(settings_win_test tests/wine/settings_win_test.cpp settings/browser_path.cpp)
target_link_libraries(settings_win_test PRIVATE leafcatch_platform)

lc_windows_test(platform_win_test tests/wine/platform_win_test.cpp)
target_link_libraries(platform_win_test PRIVATE leafcatch_platform lc_driver)
