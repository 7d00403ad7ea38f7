// Marks and writes a large page, as a capture does after the download.
// LC_BENCH_PAGE names the page file (made by scripts/bench.sh); LC_BENCH_OUT the
// folder to write into.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <algorithm>
#include <string>

#include "capture/page_file.h"
#include "platform/file.h"

namespace {

std::string Env(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value ? value : fallback;
}

std::string LoadPage() {
    std::ifstream in(Env("LC_BENCH_PAGE", "/tmp/lc-bench-page.html"), std::ios::binary | std::ios::ate);
    std::string page(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
    in.seekg(0);
    in.read(page.data(), static_cast<std::streamsize>(page.size()));
    return page;
}

void BM_MarkAndWritePage(benchmark::State& state) {
    const std::string page = LoadPage();
    if (page.empty()) {
        state.SkipWithError("no page: run scripts/bench.sh");
        return;
    }
    const std::string path = Env("LC_BENCH_OUT", "/tmp") + "/lc-bench-out.html";
    for (auto _ : state) {
        platform::RemoveFile(path);
        const MarkedPage marked = MarkPage(page, "http://127.0.0.1/bench/page.html");
        if (WritePage(path, marked) != WriteResult::Written) state.SkipWithError("write failed");
    }
    platform::RemoveFile(path);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * page.size());
}
BENCHMARK(BM_MarkAndWritePage)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
