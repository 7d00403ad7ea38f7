// Time from starting a window program until its first top-level window is shown
// and painted, median of several starts. The program is closed each time.
//   start_bench EXE RUNS
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/wine/driver/driver.h"

namespace {

HWND PaintedWindow(DWORD processId) {
    for (HWND window : driver::TopLevelWindows(processId)) {
        if (IsWindowVisible(window) && !GetUpdateRect(window, nullptr, FALSE)) return window;
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: start_bench EXE RUNS\n");
        return 2;
    }
    const std::string folder = driver::MakeTempFolder();
    // A settings file, so that the program starts without its first-run dialog.
    driver::WriteFileBytes(folder + "Leafcatch.ini", "c:\\\r\nc:\\\r\n100\r\n100\r\n");
    std::vector<double> times;
    for (int run = 0; run < std::atoi(argv[2]); ++run) {
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        driver::Process process = driver::Process::Launch(argv[1], folder, "", 0);
        HWND window = nullptr;
        while (!(window = PaintedWindow(process.Id()))) Sleep(1);
        QueryPerformanceCounter(&end);
        times.push_back(1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart);
        driver::PostClose(window);
        process.WaitForExit(5000);
    }
    driver::RemoveFolder(folder);
    std::sort(times.begin(), times.end());
    std::printf("%.0f\n", times[times.size() / 2]);
    return 0;
}
