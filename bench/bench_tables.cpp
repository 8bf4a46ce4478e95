// Speed of the table engine on a goods table of 76 data bytes per record:
// flushed appends against the folder's raw flush rate, opening a file of a
// million records, re-sorting them by a 40-character name and text search.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "UBaseFld.h"
#include "UFields.h"
#include "UIndex.h"
#include "UMoneyFld.h"
#include "UTable.h"

using namespace tv;

namespace {

std::string BenchDir()
{
    static std::string dir = [] {
        char tmpl[] = "/tmp/tv_bench_XXXXXX";
        return std::string(mkdtemp(tmpl));
    }();
    return dir;
}

class TGoods : public TTable {
public:
    TIntegerField Id;
    TStringField Name{40};
    TMoneyField Price;
    TIntegerField Packages;
    TMoneyField Quantity;
    TMoneyField Weight;
    TMoneyField Sum;
    TDateTimeField LastDate;
    TIntegerField Group;
    TFields Set{{&Id, &Name, &Price, &Packages, &Quantity, &Weight, &Sum, &LastDate, &Group}};
    std::unique_ptr<TIndex> ById = TIndex::CreateNamed(&Set, "ById", &Id);
    std::unique_ptr<TIndex> ByName = TIndex::CreateNamed(&Set, "ByName", &Name);

    explicit TGoods(const std::string& path)
    {
        Id.SetPrimaryKey(true);
        SetFields(&Set);
        SetFileName(path);
    }
    ~TGoods() override
    {
        if (IsOpen())
            Close();
    }
    void Open(bool CreateIfMissing) override
    {
        TTable::Open(CreateIfMissing);
        AddIndex(ById.get());
        AddIndex(ByName.get());
    }

    void Fill(std::mt19937& rng)
    {
        Name.SetText("Goods " + std::to_string(rng() % 1000000) + " grade " + std::to_string(rng() % 100));
        Price.SetValue(rng() % 100000);
        Packages.SetValue(static_cast<int32_t>(rng() % 1000));
        Quantity.SetValue(rng() % 100000);
        Weight.SetValue(rng() % 100000);
        Sum.SetValue(rng() % 100000);
        LastDate.SetValue(46000.5);
        Group.SetValue(static_cast<int32_t>(rng() % 50));
    }
};

constexpr int32_t BigCount = 1000000;

// A file of a million records, written in bulk beside the engine: the
// engine makes the header, the records are its own packed bytes.
const std::string& BigFile()
{
    static std::string path = [] {
        std::string p = BenchDir() + "/big.dat";
        {
            TGoods t(p);
            t.CreateNew(true);
            t.Close();
        }
        TGoods g(p + ".tmp");
        g.Set.AllowEdit();
        std::mt19937 rng(42);
        int fd = ::open(p.c_str(), O_WRONLY | O_APPEND);
        std::vector<uint8_t> chunk;
        for (int32_t i = 1; i <= BigCount; ++i) {
            g.Id.SetValue(i);
            g.Fill(rng);
            const uint8_t* rec = g.Set.GetRecord();
            chunk.insert(chunk.end(), 8, 0);
            chunk.insert(chunk.end(), rec, rec + g.Set.DataSize());
            if (chunk.size() > (1u << 22) || i == BigCount) {
                if (::write(fd, chunk.data(), chunk.size()) != static_cast<ssize_t>(chunk.size()))
                    std::abort();
                chunk.clear();
            }
        }
        // Record count, then the key field's next value.
        int32_t count = BigCount, next = BigCount + 1;
        ::close(fd);
        fd = ::open(p.c_str(), O_WRONLY);
        if (::pwrite(fd, &count, 4, 20) != 4 || ::pwrite(fd, &next, 4, 32 + 32) != 4)
            std::abort();
        ::close(fd);
        return p;
    }();
    return path;
}

void BM_RawFdatasync(benchmark::State& state)
{
    std::string path = BenchDir() + "/raw.bin";
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    char record[84] = {};
    for (auto _ : state) {
        if (::write(fd, record, sizeof record) != sizeof record || ::fdatasync(fd) != 0)
            state.SkipWithError("write failed");
    }
    ::close(fd);
    ::unlink(path.c_str());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RawFdatasync)->MinTime(2.0)->UseRealTime();

void BM_AppendWithFlush(benchmark::State& state)
{
    std::string path = BenchDir() + "/append.dat";
    {
        TGoods t(path);
        t.Open(true);
        t.SetIndexName("ByName");
        std::mt19937 rng(7);
        for (auto _ : state) {
            t.Insert();
            t.Fill(rng);
            t.Post();
        }
    }
    ::unlink(path.c_str());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendWithFlush)->MinTime(2.0)->UseRealTime();

void BM_RewriteWithFlush(benchmark::State& state)
{
    std::string path = BenchDir() + "/rewrite.dat";
    {
        TGoods t(path);
        t.Open(true);
        std::mt19937 rng(9);
        for (int i = 0; i < 100; ++i) {
            t.Insert();
            t.Fill(rng);
            t.Post();
        }
        for (auto _ : state) {
            t.SetRecNo(static_cast<int32_t>(rng() % 100));
            t.Edit();
            t.Price.SetValue(rng() % 100000);
            t.Post();
        }
    }
    ::unlink(path.c_str());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RewriteWithFlush)->MinTime(2.0)->UseRealTime();

// The data file's own checks and scan, without loading the records.
void BM_OpenCheckMillion(benchmark::State& state)
{
    const std::string& path = BigFile();
    TGoods g(path);
    for (auto _ : state) {
        TDatFile f;
        f.SetFields(&g.Set);
        f.SetFileName(path);
        f.Open(false);
        f.Close();
    }
    state.SetItemsProcessed(state.iterations() * BigCount);
}
BENCHMARK(BM_OpenCheckMillion)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_OpenLoadMillion(benchmark::State& state)
{
    const std::string& path = BigFile();
    for (auto _ : state) {
        TGoods t(path);
        t.Open(false);
        benchmark::DoNotOptimize(t.RecordCount());
        t.Close();
    }
    state.SetItemsProcessed(state.iterations() * BigCount);
}
BENCHMARK(BM_OpenLoadMillion)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_SortMillionByName(benchmark::State& state)
{
    TGoods t(BigFile());
    t.Open(false);
    for (auto _ : state) {
        state.PauseTiming();
        t.SetIndexName("ById");
        state.ResumeTiming();
        t.SetIndexName("ByName");
    }
    state.SetItemsProcessed(state.iterations() * BigCount);
}
BENCHMARK(BM_SortMillionByName)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_SortMillionByKey(benchmark::State& state)
{
    TGoods t(BigFile());
    t.Open(false);
    for (auto _ : state) {
        state.PauseTiming();
        t.SetIndexName("ByName");
        state.ResumeTiming();
        t.SetIndexName("ById");
    }
    state.SetItemsProcessed(state.iterations() * BigCount);
}
BENCHMARK(BM_SortMillionByKey)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_FindTextInMillion(benchmark::State& state)
{
    TGoods t(BigFile());
    t.Open(false);
    t.SetIndexName("ByName");
    std::mt19937 rng(3);
    for (auto _ : state) {
        t.FindText("Goods " + std::to_string(rng() % 1000000));
        benchmark::DoNotOptimize(t.GetRecNo());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FindTextInMillion);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::system(("rm -rf '" + BenchDir() + "'").c_str());
    return 0;
}
