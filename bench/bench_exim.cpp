// Speed of the exports, the import and the printed list: CSV and TXT export
// of 100 000 goods against writing the same bytes; the import of 100 000 and
// 1 000 000 lines into an empty book and into one of as many goods, each
// beside SQLite storing the same rows in the same run (WAL, synchronous=FULL,
// a table per file with the orders the book keeps, one transaction per group
// of 1 024 lines); the import's reading of CSV records, well-formed and with
// quotes left open; and the printed list of 1 000, 10 000 and 100 000 goods
// to a PDF file (and on a device that draws nothing). The million-line
// imports take about a minute: --benchmark_filter='-BM_Import/1000000'
// leaves them out.

#include <benchmark/benchmark.h>

#include "UEximRep.h"
#include "UFaultEnv.h"
#include "UFileEnv.h"
#include "UPdfFileDevice.h"
#include "UPrint.h"
#include "UProgFolder.h"
#include "UShell.h"
#include "UStoreData.h"
#include "UTextConst.h"

#include <QApplication>
#include <QLocale>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <variant>

using namespace tv;
namespace fs = std::filesystem;

namespace {

constexpr int BigCount = 100000;

std::string Root;  // the program folder, with its '/'

std::string ReadAll(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteAll(const std::string& name, const std::string& bytes)
{
    std::FILE* f = std::fopen(name.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

double Seconds(const std::function<void()>& f)
{
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Syncs of files and folders that pass through to the disk.
class TCountingFile : public TEnvFile {
public:
    TCountingFile(std::unique_ptr<TEnvFile> f, int64_t& syncs) : F(std::move(f)), FSyncs(syncs) {}
    int64_t Seek(int64_t o, int origin) override { return F->Seek(o, origin); }
    int64_t Read(void* b, int64_t n) override { return F->Read(b, n); }
    int64_t ReadAt(int64_t o, void* b, int64_t n) override { return F->ReadAt(o, b, n); }
    int64_t Write(const void* b, int64_t n) override { return F->Write(b, n); }
    bool Truncate() override { return F->Truncate(); }
    bool Sync() override
    {
        ++FSyncs;
        return F->Sync();
    }
    bool NamedBy(const std::string& name) override { return F->NamedBy(name); }

private:
    std::unique_ptr<TEnvFile> F;
    int64_t& FSyncs;
};

class TCountingEnv : public TFileEnv {
public:
    int64_t Syncs = 0;
    TFileEnv& D = *TFileEnv::Default();
    std::unique_ptr<TEnvFile> Wrap(std::unique_ptr<TEnvFile> f)
    {
        return f ? std::make_unique<TCountingFile>(std::move(f), Syncs) : nullptr;
    }
    bool FileExists(const std::string& n) override { return D.FileExists(n); }
    std::unique_ptr<TEnvFile> CreateFile(const std::string& n) override { return Wrap(D.CreateFile(n)); }
    std::unique_ptr<TEnvFile> OpenFile(const std::string& n) override { return Wrap(D.OpenFile(n)); }
    bool RenameFile(const std::string& a, const std::string& b, bool r) override { return D.RenameFile(a, b, r); }
    bool RemoveFile(const std::string& n) override { return D.RemoveFile(n); }
    bool SyncDir(const std::string& n) override
    {
        ++Syncs;
        return D.SyncDir(n);
    }
    std::unique_ptr<TEnvFile> OpenReadOnly(const std::string& n) override { return Wrap(D.OpenReadOnly(n)); }
    bool FolderExists(const std::string& n) override { return D.FolderExists(n); }
    bool CreateFolder(const std::string& n) override { return D.CreateFolder(n); }
    bool RemoveFolder(const std::string& n) override { return D.RemoveFolder(n); }
    bool ListFolder(const std::string& n, std::vector<TFolderEntry>& e) override { return D.ListFolder(n, e); }
    bool SameFile(const std::string& a, const std::string& b) override { return D.SameFile(a, b); }
};

// The 100 000 goods are booked in memory once and their two files kept in
// a folder that later runs reuse; each benchmark copies them (or nothing)
// into Data and opens them. The book of 1 000 000 goods is made the same
// way by an import.
std::string BookFolder(int goods) { return "/tmp/tv_exim_book_" + std::to_string(goods); }

// Books count goods into the open book.
void InsertGoods(int count)
{
    for (int i = 0; i < count; ++i)
        Store.InsertGoods(std::to_string(10000000 + i), "Товар номер " + std::to_string(i) + " (опт)",
                          std::to_string(1 + i % 900) + ".25", std::to_string(1 + i % 70) + ".50",
                          std::to_string(i % 40), "");
}

// Writes the CSV file of an import of lines new goods, codes from first on,
// Russian separators.
std::string ImportFile(int lines, int first = 20000000)
{
    const std::string name = Root + "import_" + std::to_string(lines) + "_" + std::to_string(first) + ".csv";
    if (fs::exists(name))
        return name;
    std::string text = CsvHeaderLine(0, ';') + "\r\n";
    for (int i = 0; i < lines; ++i)
        text += CsvRow({std::to_string(first + i), "Новый товар " + std::to_string(i), "12.40", "",
                        "3.00", std::to_string(i % 9), "37.20"},
                       {';', ','});
    WriteAll(name, text);
    return name;
}

void BuildBook(int goods)
{
    const std::string folder = BookFolder(goods);
    if (fs::exists(folder + "/moves.dat"))
        return;
    fs::create_directories(folder);
    if (goods == BigCount) {
        TFaultEnv env;
        Store.SetEnv(&env);
        Store.Open(true, "Data");
        InsertGoods(BigCount);
        Store.Close();
        Store.SetEnv(nullptr);
        for (const char* f : {"store.dat", "moves.dat"})
            WriteAll(folder + "/" + f, env.Contents(Root + "Data/" + f));
        return;
    }
    Store.Close();
    fs::create_directories(Root + "Data");
    for (const char* f : {"store.dat", "moves.dat"})
        fs::remove(Root + "Data/" + f);
    Store.Open(true, "Data");
    const std::string file = ImportFile(goods, 10000000);
    SetFileChooser([&](const TFileRequest&) { return file; });
    CsvImport.Execute();
    Store.Close();
    for (const char* f : {"store.dat", "moves.dat"})
        fs::copy_file(Root + "Data/" + f, folder + "/" + f, fs::copy_options::overwrite_existing);
}

// Opens the book of that many goods (0: an empty one) in Data.
void OpenBook(int goods)
{
    Store.Close();
    fs::create_directories(Root + "Data");
    for (const char* f : {"store.dat", "moves.dat"}) {
        fs::remove(Root + "Data/" + f);
        if (goods > 0)
            fs::copy_file(BookFolder(goods) + "/" + f, Root + "Data/" + f);
    }
    Store.Open(true, "Data");
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Each run is followed by a raw write of the bytes it wrote, so both see the
// same load of a shared machine; the ratio is of the medians.
void AgainstRawWrite(benchmark::State& state, const std::function<void()>& run, const std::string& out,
                     const std::string& copy, int64_t rows)
{
    std::vector<double> runs, raws;
    std::string bytes;
    for (auto _ : state) {
        runs.push_back(Seconds(run));
        state.PauseTiming();
        if (bytes.empty())
            bytes = ReadAll(out);
        raws.push_back(Seconds([&] { WriteAll(copy, bytes); }));
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
    state.counters["median_ms"] = Median(runs) * 1000;
    state.counters["raw_write_ms"] = Median(raws) * 1000;
    state.counters["x_raw_write"] = Median(runs) / Median(raws);
    state.counters["rows_per_s"] = double(rows) / Median(runs);
}

void Export(benchmark::State& state, TFileExport& exporter, const char* ext)
{
    OpenBook(BigCount);
    const std::string out = Root + "out." + ext;
    SetFileChooser([&](const TFileRequest&) { return out; });
    AgainstRawWrite(state, [&] { exporter.Execute(); }, out, Root + "copy." + ext, BigCount);
}

void BM_ExportCsv(benchmark::State& state) { Export(state, CsvExport, "csv"); }
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ExportTxt(benchmark::State& state) { Export(state, TxtExport, "txt"); }
BENCHMARK(BM_ExportTxt)->Unit(benchmark::kMillisecond)->UseRealTime();

// The rows SQLite stores for the import: the book's two files as two
// tables, each with its primary key and the order the book keeps (the goods
// by their date, the movements by goods and date).
class TSqliteBook {
public:
    explicit TSqliteBook(const std::string& name)
    {
        if (sqlite3_open(name.c_str(), &FDb) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(FDb));
        Exec("PRAGMA journal_mode=WAL");
        Exec("PRAGMA synchronous=FULL");
        Exec("CREATE TABLE IF NOT EXISTS goods(ID INTEGER PRIMARY KEY, Code TEXT, Name TEXT, PCount INTEGER,"
             " Weight INTEGER, Cost INTEGER, Sum INTEGER, LastDate REAL)");
        Exec("CREATE INDEX IF NOT EXISTS goods_date ON goods(LastDate)");
        Exec("CREATE TABLE IF NOT EXISTS moves(ID INTEGER PRIMARY KEY, IDStore INTEGER, MoveDate REAL,"
             " Direction INTEGER, PCount INTEGER, Weight INTEGER, Cost INTEGER, Sum INTEGER, Note TEXT)");
        Exec("CREATE INDEX IF NOT EXISTS moves_goods_date ON moves(IDStore, MoveDate)");
        sqlite3_prepare_v2(FDb, "INSERT INTO goods VALUES(?,?,?,?,?,?,?,?)", -1, &FGoods, nullptr);
        sqlite3_prepare_v2(FDb, "INSERT INTO moves VALUES(?,?,?,?,?,?,?,?,?)", -1, &FMoves, nullptr);
    }
    ~TSqliteBook()
    {
        sqlite3_finalize(FGoods);
        sqlite3_finalize(FMoves);
        sqlite3_close(FDb);
    }
    TSqliteBook(const TSqliteBook&) = delete;
    TSqliteBook& operator=(const TSqliteBook&) = delete;

    // Stores lines new goods with a receipt each, ids from first on, in
    // transactions of group lines.
    void Import(int lines, int first, int group)
    {
        const double now = 46000.5;
        for (int at = 0; at < lines; at += group) {
            Exec("BEGIN");
            for (int i = at; i < std::min(lines, at + group); ++i) {
                const int id = first + i;
                const std::string code = std::to_string(20000000 + i), name = "Новый товар " + std::to_string(i);
                Row(FMoves, {id, id, now, 1, i % 9, 300, 1240, 3720}, "");
                Row(FGoods, {id, code, name, i % 9, 300, 1240, 3720, now});
            }
            Exec("COMMIT");
        }
    }

private:
    using TValue = std::variant<int, double, std::string>;
    void Row(sqlite3_stmt* st, const std::vector<TValue>& values, const char* note = nullptr)
    {
        int n = 0;
        for (const TValue& v : values) {
            ++n;
            if (const int* i = std::get_if<int>(&v))
                sqlite3_bind_int(st, n, *i);
            else if (const double* d = std::get_if<double>(&v))
                sqlite3_bind_double(st, n, *d);
            else
                sqlite3_bind_text(st, n, std::get<std::string>(v).c_str(), -1, SQLITE_TRANSIENT);
        }
        if (note)
            sqlite3_bind_text(st, n + 1, note, -1, SQLITE_STATIC);
        if (sqlite3_step(st) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(FDb));
        sqlite3_reset(st);
    }
    void Exec(const char* sql)
    {
        if (sqlite3_exec(FDb, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(FDb));
    }
    sqlite3* FDb = nullptr;
    sqlite3_stmt* FGoods = nullptr;
    sqlite3_stmt* FMoves = nullptr;
};

// SQLite's book of that many goods, made once a run; a copy of it in
// name, or a new book there for none.
void SqliteBook(int goods, const std::string& name)
{
    for (const char* end : {"", "-wal", "-shm"})
        fs::remove(name + end);
    if (goods == 0)
        return;
    const std::string kept = Root + "sqlite_" + std::to_string(goods) + ".db";
    if (!fs::exists(kept)) {
        TSqliteBook book(kept);
        book.Import(goods, 1, goods);
    }
    fs::copy_file(kept, name);
}

// The import of state.range(0) lines into a book of state.range(1) goods on
// the disk, its syncs counted; after it SQLite stores the same rows into a
// book of as many.
void BM_Import(benchmark::State& state)
{
    const int lines = int(state.range(0)), goods = int(state.range(1));
    const std::string file = ImportFile(lines);
    if (goods > 0)
        BuildBook(goods);
    TCountingEnv counting;
    std::vector<double> runs, sqlites;
    for (auto _ : state) {
        state.PauseTiming();
        SetFileChooser([&](const TFileRequest&) { return file; });
        Store.Close();
        Store.SetEnv(&counting);
        OpenBook(goods);
        counting.Syncs = 0;
        state.ResumeTiming();
        runs.push_back(Seconds([&] { CsvImport.Execute(); }));
        state.PauseTiming();
        if (Store.Goods().RecordCount() != lines + goods) {
            state.SkipWithError("lines not imported");
            break;
        }
        Store.Close();
        Store.SetEnv(nullptr);
        const std::string db = Root + "import.db";
        SqliteBook(goods, db);
        TSqliteBook book(db);
        sqlites.push_back(Seconds([&] { book.Import(lines, goods + 1, TDatFile::MaxGroupRecords); }));
        state.ResumeTiming();
    }
    Store.Close();
    Store.SetEnv(nullptr);
    state.counters["median_ms"] = Median(runs) * 1000;
    state.counters["ns_per_line"] = Median(runs) * 1e9 / lines;
    state.counters["sqlite_ms"] = Median(sqlites) * 1000;
    state.counters["x_sqlite"] = Median(runs) / Median(sqlites);
    state.counters["syncs_per_line"] = double(counting.Syncs) / lines;
}
BENCHMARK(BM_Import)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3)
    ->Args({100000, 0})->Args({100000, 100000});
BENCHMARK(BM_Import)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)
    ->Args({1000000, 0})->Args({1000000, 1000000});

// The records of a CSV text of state.range(0) lines read as the import
// reads them: each peeked under both separators, then passed. Well-formed
// lines, and lines whose quoted field is left open (a bare name with an
// inch mark before it, so that each line's quotes pair up with the next
// line's and every field stays open to the end of the text). The time per
// line stays the same for any count.
void CsvRecords(benchmark::State& state, const std::string& line)
{
    std::string text;
    for (int64_t i = 0; i < state.range(0); ++i)
        text += line;
    int64_t records = 0;
    for (auto _ : state) {
        TCsvRecords reader(text);
        records = 0;
        while (!reader.AtEnd()) {
            benchmark::DoNotOptimize(reader.Peek(';'));
            benchmark::DoNotOptimize(reader.Peek(','));
            reader.Next(';');
            ++records;
        }
    }
    if (records != state.range(0))
        state.SkipWithError("records are not the lines");
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void BM_CsvRecordsWellFormed(benchmark::State& state)
{
    CsvRecords(state, "=\"4820001\";\"Труба 1/2\"\" (пач.)\";18,40;02.01.2026;1,00;1;18,40;\r\n");
}
BENCHMARK(BM_CsvRecordsWellFormed)->Unit(benchmark::kMillisecond)->Arg(10000)->Arg(20000)->Arg(100000);

void BM_CsvRecordsOpenQuotes(benchmark::State& state)
{
    CsvRecords(state, "=\"4820001\";Труба 1/2\";\"пач.;18,40;02.01.2026;1,00;1;18,40;\r\n");
}
BENCHMARK(BM_CsvRecordsOpenQuotes)->Unit(benchmark::kMillisecond)->Arg(10000)->Arg(20000)->Arg(100000);

// The printed list of state.range(0) goods to a PDF file through the
// report's own flow: the file named, the list written by Qt's PDF engine.
void BM_PrintPdf(benchmark::State& state)
{
    const int count = int(state.range(0));
    TFaultEnv memory;  // a smaller book is booked in memory for the run
    if (count == BigCount) {
        OpenBook(BigCount);
    } else {
        Store.Close();
        Store.SetEnv(&memory);
        Store.Open(true, "Data");
        InsertGoods(count);
    }
    LoadEnglishTexts();
    const std::string out = Root + "list.pdf";
    SetFileChooser([&](const TFileRequest&) { return out; });
    TPrintManager manager(PdfFileDevice());
    TPrintManager* const before = SetPrintManager(&manager);
    ListReport.SetLanguage(2);
    std::vector<double> runs;
    for (auto _ : state)
        runs.push_back(Seconds([&] { ListReport.Execute(); }));
    SetPrintManager(before);
    state.counters["median_ms"] = Median(runs) * 1000;
    state.counters["pages"] = manager.PageCount();
    state.counters["file_kb"] = double(fs::file_size(out)) / 1024;
    // TV_BENCH_PDF names a file to keep the printed list in, to look at.
    if (const char* keep = std::getenv("TV_BENCH_PDF"))
        WriteAll(keep, ReadAll(out));
    if (count != BigCount) {
        Store.Close();
        Store.SetEnv(nullptr);
    }
}
BENCHMARK(BM_PrintPdf)->Unit(benchmark::kMillisecond)->UseRealTime()->Arg(1000)->Iterations(9);
BENCHMARK(BM_PrintPdf)->Unit(benchmark::kMillisecond)->UseRealTime()->Arg(10000)->Iterations(5);
BENCHMARK(BM_PrintPdf)->Unit(benchmark::kMillisecond)->UseRealTime()->Arg(BigCount)->Iterations(2);

// The same list on a device that draws nothing: what the rows and the print
// manager cost without any output.
void BM_PrintNullDevice(benchmark::State& state)
{
    class TNullDevice : public TPrintDevice {
    public:
        bool HasPrinters() const override { return true; }
        void PageSize(int32_t& width, int32_t& height) override { width = 9500, height = 13600; }
        int32_t TextWidth(TPrintFont, std::string_view text) override
        {
            return int32_t(text.size()) * 60;
        }
        int32_t TextHeight(TPrintFont, const std::string&) override { return 170; }
        void BeginDoc(const std::string&) override {}
        void NewPage() override {}
        void EndDoc() override {}
        void AbortDoc() noexcept override {}
        void FillRect(int32_t, int32_t, int32_t, int32_t, uint32_t) override {}
        void DrawText(int32_t, int32_t, int32_t, int32_t, std::string_view, TPrintFont,
                      bool) override
        {
            benchmark::ClobberMemory();
        }
    } device;
    OpenBook(BigCount);
    LoadEnglishTexts();
    TPrintManager manager(device);
    TPrintManager* const before = SetPrintManager(&manager);
    ListReport.SetLanguage(2);
    for (auto _ : state)
        ListReport.Execute();
    state.counters["pages"] = manager.PageCount();
    SetPrintManager(before);
}
BENCHMARK(BM_PrintNullDevice)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    char tmpl[] = "/tmp/tv_exim_XXXXXX";
    Root = std::string(mkdtemp(tmpl)) + "/";
    SetProgramFolder(Root.substr(0, Root.size() - 1));
    SetShellLauncher([](const TShellRequest&) { return true; });
    LoadRussianTexts();
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    BuildBook(BigCount);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Store.Close();
    SetProgramFolder(std::string());
    fs::remove_all(Root);
    return 0;
}
