# The library that drives a real Windows program from Windows test programs,
# a small window program for it to drive, and the library's own tests.
add_library(lc_driver STATIC tests/wine/driver/driver.cpp)
target_link_libraries(lc_driver PUBLIC user32 gdi32 kernel32)

add_executable(fixture_window WIN32 tests/wine/driver/fixture_window.cpp)
target_link_libraries(fixture_window PRIVATE user32 gdi32)

lc_windows_test(driver_test tests/wine/driver_test.cpp)
target_link_libraries(driver_test PRIVATE lc_driver)
add_dependencies(driver_test fixture_window)
