// Marks and writes a large page, as a capture does after the download.
// LC_BENCH_PAGE names the page file (made by scripts/bench.sh); LC_BENCH_OUT the
// folder to write into.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <algorithm>
#include <string>
#include <vector>

#include <unistd.h>

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

// A folder holding page.html and page_001.html to page_998.html: the free name is
// the 1000th candidate, page_999.html.
class TakenNames : public benchmark::Fixture {
public:
    void SetUp(const benchmark::State&) override {
        char pattern[] = "/tmp/lc-bench-names-XXXXXX";
        folder_ = std::string(mkdtemp(pattern)) + "/";
        for (unsigned i = 0; i < 999; ++i) {
            const std::string path = CandidatePath(folder_, "page.html", i);
            paths_.push_back(path);
            std::ofstream(path) << "x";
        }
    }
    void TearDown(const benchmark::State&) override {
        for (const std::string& path : paths_) platform::RemoveFile(path);
        rmdir(folder_.c_str());
        paths_.clear();
    }

protected:
    std::string folder_;
    std::vector<std::string> paths_;
};

BENCHMARK_F(TakenNames, FindFreePath999Taken)(benchmark::State& state) {
    for (auto _ : state) {
        auto free = FindFreePath(folder_, "page.html");
        if (!free || free->counter != 999) state.SkipWithError("unexpected free name");
    }
}

// The reference: opening and closing the same 999 files in a plain loop.
BENCHMARK_F(TakenNames, Open999Files)(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& path : paths_) benchmark::DoNotOptimize(platform::CanOpenForReading(path));
    }
}

}  // namespace

BENCHMARK_MAIN();
