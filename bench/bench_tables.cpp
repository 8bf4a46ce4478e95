// Speed of the table engine on a goods table of 76 data bytes per record:
// flushed appends against the folder's raw flush rate, opening a file of a
// million records, re-sorting them by a 40-character name and text search;
// and a booking of the stock book's layout (a movement appended, its goods
// record rewritten) with the flushes it costs.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "UBaseFld.h"
#include "UFaultEnv.h"
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

// The stock book's two tables, field for field of the same sizes.
class TStockGoods : public TTable {
public:
    TIntegerField ID;
    TStringField Code{8};
    TStringField Name{40};
    TIntegerField PCount;
    TMoneyField Weight;
    TMoneyField Cost;
    TMoneyField Sum;
    TDateTimeField LastDate;
    TFields Set{{&ID, &Code, &Name, &PCount, &Weight, &Cost, &Sum, &LastDate}};

    TStockGoods(const std::string& path, TFileEnv* env)
    {
        ID.SetPrimaryKey(true);
        SetEnv(env);
        SetFields(&Set);
        SetFileName(path);
    }
    ~TStockGoods() override
    {
        if (IsOpen())
            Close();
    }
};

class TStockMoves : public TTable {
public:
    TIntegerField ID;
    TIntegerField IDStore;
    TDateTimeField MoveDate;
    TBooleanField Direction;
    TIntegerField PCount;
    TMoneyField Weight;
    TMoneyField Cost;
    TMoneyField Sum;
    TStringField Note{40};
    TFields Set{{&ID, &IDStore, &MoveDate, &Direction, &PCount, &Weight, &Cost, &Sum, &Note}};

    TStockMoves(const std::string& path, TFileEnv* env)
    {
        ID.SetPrimaryKey(true);
        SetEnv(env);
        SetFields(&Set);
        SetFileName(path);
    }
    ~TStockMoves() override
    {
        if (IsOpen())
            Close();
    }
};

constexpr int32_t BookingGoods = 100000;

// The bytes of a goods file of BookingGoods records, made in memory.
const std::string& GoodsFileBytes()
{
    static const std::string bytes = [] {
        TFaultEnv env;
        {
            TStockGoods g("goods.dat", &env);
            g.CreateNew(true);
            g.Close();
        }
        std::string file = env.Contents("goods.dat");
        TStockGoods g("unused.dat", &env);
        g.Set.AllowEdit();
        for (int32_t i = 1; i <= BookingGoods; ++i) {
            g.ID.SetValue(i);
            g.Name.SetText("Goods " + std::to_string(i));
            g.Cost.SetValue(100 + i % 1000);
            g.LastDate.SetValue(46000.5);
            file.append(8, '\0');
            file.append(reinterpret_cast<const char*>(g.Set.GetRecord()), size_t(g.Set.DataSize()));
        }
        auto put = [&file](size_t at, int32_t v) {
            for (int k = 0; k < 4; ++k)
                file[at + k] = char(uint32_t(v) >> (8 * k));
        };
        put(20, BookingGoods);
        put(32 + 32, BookingGoods + 1);
        return file;
    }();
    return bytes;
}

// One booking: the movement first, then the goods record's totals.
void Book(TStockGoods& goods, TStockMoves& moves, std::mt19937& rng)
{
    goods.SetRecNo(static_cast<int32_t>(rng() % BookingGoods));
    const uint32_t weight = 1000 + rng() % 1000;
    moves.Insert();
    moves.IDStore.SetValue(goods.ID.GetValue());
    moves.MoveDate.SetValue(46000.5);
    moves.Direction.SetValue(true);
    moves.PCount.SetValue(1);
    moves.Weight.SetValue(weight);
    moves.Cost.SetValue(goods.Cost.GetValue());
    moves.Sum.SetValue(weight);
    moves.Post();
    goods.Edit();
    goods.Weight.SetValue(goods.Weight.GetValue() + weight);
    goods.PCount.SetValue(goods.PCount.GetValue() + 1);
    goods.Post();
}

// Bookings at goods picked at random over the whole file: the flushes are
// counted on the fault environment, the rate is measured on the disk in
// rounds that alternate with raw flushed writes in the same folder, so that
// both rates see the same load of a shared disk.
void BM_BookingWithFlush(benchmark::State& state)
{
    double flushesPerBooking = 0;
    {
        TFaultEnv env;
        env.SetContents("goods.dat", GoodsFileBytes());
        TStockGoods goods("goods.dat", &env);
        TStockMoves moves("moves.dat", &env);
        goods.Open(false);
        moves.Open(true);
        std::mt19937 rng(11);
        constexpr int Counted = 20000;
        const int64_t before = env.Syncs();
        for (int i = 0; i < Counted; ++i)
            Book(goods, moves, rng);
        flushesPerBooking = double(env.Syncs() - before) / Counted;
    }
    const std::string goodsPath = BenchDir() + "/store.dat", movesPath = BenchDir() + "/moves.dat",
                      rawPath = BenchDir() + "/raw-beside.bin";
    using Clock = std::chrono::steady_clock;
    double bookingSeconds = 0, rawSeconds = 0;
    int64_t bookings = 0, rawFlushes = 0;
    {
        std::FILE* out = std::fopen(goodsPath.c_str(), "wb");
        const std::string& bytes = GoodsFileBytes();
        if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size())
            std::abort();
        std::fclose(out);
        TStockGoods goods(goodsPath, nullptr);
        TStockMoves moves(movesPath, nullptr);
        goods.Open(false);
        moves.Open(true);
        const int fd = ::open(rawPath.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
        char record[84] = {};
        std::mt19937 rng(13);
        constexpr int RoundBookings = 20, RoundRaw = 60;
        for (auto _ : state) {
            const auto t0 = Clock::now();
            for (int i = 0; i < RoundBookings; ++i)
                Book(goods, moves, rng);
            const auto t1 = Clock::now();
            for (int i = 0; i < RoundRaw; ++i)
                if (::write(fd, record, sizeof record) != sizeof record || ::fdatasync(fd) != 0)
                    state.SkipWithError("write failed");
            const auto t2 = Clock::now();
            bookingSeconds += std::chrono::duration<double>(t1 - t0).count();
            rawSeconds += std::chrono::duration<double>(t2 - t1).count();
            bookings += RoundBookings;
            rawFlushes += RoundRaw;
        }
        ::close(fd);
    }
    for (const std::string& p : {goodsPath, movesPath, rawPath})
        ::unlink(p.c_str());
    const double bookingRate = bookings / bookingSeconds, rawRate = rawFlushes / rawSeconds;
    state.counters["flushes_per_booking"] = flushesPerBooking;
    state.counters["bookings_per_s"] = bookingRate;
    state.counters["raw_flushes_per_s"] = rawRate;
    // 1 when a booking costs no more than its flushes at the raw rate.
    state.counters["share_of_raw"] = bookingRate / (rawRate / flushesPerBooking);
}
BENCHMARK(BM_BookingWithFlush)->MinTime(4.0)->UseRealTime();

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
