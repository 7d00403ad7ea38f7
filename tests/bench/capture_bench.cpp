// Captures one page the way the program does after the browser query: GET, mark,
// save under a free name. Prints the time taken.
//   capture_bench URL FOLDER
#include <windows.h>

#include <cstdio>
#include <string>

#include "capture/page_file.h"
#include "platform/exception.h"
#include "platform/http_client.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: capture_bench URL FOLDER\n");
        return 2;
    }
    const std::string url = argv[1];
    const std::string folder = argv[2];
    platform::HttpClient client;
    SaveResult saved{SaveError::WriteFailed, {}};
    client.OnSuccess = [&] { saved = SavePage(folder, PageFileName(url), MarkPage(client.Body, url)); };

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    try {
        client.Get(url);
    } catch (const platform::Exception& error) {
        std::fprintf(stderr, "capture failed: %s\n", error.what());
        return 1;
    }
    QueryPerformanceCounter(&end);
    if (saved.error != SaveError::None) {
        std::fprintf(stderr, "not saved\n");
        return 1;
    }
    std::printf("%.0f\n", 1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart);
    return 0;
}
