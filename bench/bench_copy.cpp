// Speed of the day's copy: the two files of a book of 1 000 000 goods and
// 10 000 000 movements (96 bytes a record each, header included) copied as a
// pair into a day's folder through the file environment, against `cp` of the
// same files followed by a flush of each copy and of the folder. Each copy
// is followed by the other, so both see the same load of a shared machine;
// the ratio is of the medians.

#include <benchmark/benchmark.h>

#include "UFileEnv.h"
#include "UStoreCopy.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

using namespace tv;
namespace fs = std::filesystem;

namespace {

constexpr int64_t RecordBytes = 96;
constexpr int64_t GoodsCount = 1000000;
constexpr int64_t MovesCount = 10000000;

std::string Root;  // with its '/'

double Seconds(const std::function<void()>& f)
{
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// A file of the size of count records, of bytes that differ from page to
// page, on the disk.
void MakeFile(const std::string& name, int64_t count)
{
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char> chunk(size_t(1) << 22);
    int64_t left = 64 + count * RecordBytes;
    for (uint32_t seed = 1; left > 0; ++seed) {
        for (size_t i = 0; i < chunk.size(); i += 4096)
            chunk[i] = char(seed * 2654435761u >> (i % 24));
        const auto n = static_cast<size_t>(std::min<int64_t>(left, int64_t(chunk.size())));
        if (::write(fd, chunk.data(), n) != static_cast<ssize_t>(n))
            std::abort();
        left -= int64_t(n);
    }
    ::fdatasync(fd);
    ::close(fd);
}

bool Flush(const std::string& name, bool folder)
{
    const int fd = ::open(name.c_str(), folder ? O_RDONLY | O_DIRECTORY : O_RDONLY);
    const bool ok = fd >= 0 && (folder ? ::fsync(fd) : ::fdatasync(fd)) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

void BM_DayCopy(benchmark::State& state)
{
    const std::string data = Root + "Data", hist = Root + "Hist";
    fs::create_directories(data);
    fs::create_directories(hist);
    MakeFile(InFolder(data, StoreFileName), GoodsCount);
    MakeFile(InFolder(data, MovesFileName), MovesCount);
    const auto bytes = int64_t(fs::file_size(InFolder(data, StoreFileName)) + fs::file_size(InFolder(data, MovesFileName)));
    std::vector<double> copies, cps;
    const std::string day = InFolder(hist, "2026-12-11"), byCp = InFolder(hist, "cp");
    for (auto _ : state) {
        const double copy = Seconds([&] {
            if (!MakeFolder(*TFileEnv::Default(), day) || !CopyPair(*TFileEnv::Default(), data, day, false))
                state.SkipWithError("the copy failed");
        });
        copies.push_back(copy);
        state.PauseTiming();
        fs::remove_all(day);
        fs::create_directories(byCp);
        cps.push_back(Seconds([&] {
            const std::string command = "cp '" + InFolder(data, StoreFileName) + "' '" +
                                        InFolder(data, MovesFileName) + "' '" + byCp + "'";
            if (std::system(command.c_str()) != 0 || !Flush(InFolder(byCp, StoreFileName), false) ||
                !Flush(InFolder(byCp, MovesFileName), false) || !Flush(byCp, true))
                state.SkipWithError("cp failed");
        }));
        fs::remove_all(byCp);
        Flush(hist, true);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
    state.counters["copy_ms"] = Median(copies) * 1000;
    state.counters["cp_flush_ms"] = Median(cps) * 1000;
    state.counters["x_cp_flush"] = Median(copies) / Median(cps);
}
BENCHMARK(BM_DayCopy)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    char tmpl[] = "/tmp/tv_copy_XXXXXX";
    Root = std::string(mkdtemp(tmpl)) + "/";
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(Root);
    return 0;
}
