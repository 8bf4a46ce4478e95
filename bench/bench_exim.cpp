// Speed of the exports, the import and the printed list: CSV and TXT export
// of 100 000 goods against writing the same bytes, the import of 10 000 lines
// into an empty book and into one of 100 000 goods against the rate that the
// flushes of one imported line allow on this disk, the import's reading of
// CSV records, well-formed and with quotes left open, and the printed list of
// 1 000, 10 000 and 100 000 goods to a PDF file (and on a device that draws
// nothing).

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

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

using namespace tv;
namespace fs = std::filesystem;

namespace {

constexpr int BigCount = 100000;
constexpr int ImportLines = 100000;

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
// into Data and opens them.
const std::string BigFolder = "/tmp/tv_exim_book_100000";

// Books count goods into the open book.
void InsertGoods(int count)
{
    for (int i = 0; i < count; ++i)
        Store.InsertGoods(std::to_string(10000000 + i), "Товар номер " + std::to_string(i) + " (опт)",
                          std::to_string(1 + i % 900) + ".25", std::to_string(1 + i % 70) + ".50",
                          std::to_string(i % 40), "");
}

void BuildBigBook()
{
    if (fs::exists(BigFolder + "/moves.dat"))
        return;
    fs::create_directories(BigFolder);
    TFaultEnv env;
    Store.SetEnv(&env);
    Store.Open(true, "Data");
    InsertGoods(BigCount);
    Store.Close();
    Store.SetEnv(nullptr);
    for (const char* f : {"store.dat", "moves.dat"})
        WriteAll(BigFolder + "/" + f, env.Contents(Root + "Data/" + f));
}

void OpenBook(bool big)
{
    Store.Close();
    fs::create_directories(Root + "Data");
    for (const char* f : {"store.dat", "moves.dat"}) {
        fs::remove(Root + "Data/" + f);
        if (big)
            fs::copy_file(BigFolder + "/" + f, Root + "Data/" + f);
    }
    Store.Open(true, "Data");
}

// Writes the CSV file of the import: 100 000 new goods, Russian separators.
std::string ImportFile()
{
    const std::string name = Root + "import.csv";
    std::string text = CsvHeaderLine(0, ';') + "\r\n";
    for (int i = 0; i < ImportLines; ++i)
        text += CsvRow({std::to_string(20000000 + i), "Новый товар " + std::to_string(i), "12.40", "",
                        "3.00", std::to_string(i % 9), "37.20"},
                       {';', ','});
    WriteAll(name, text);
    return name;
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
    OpenBook(true);
    const std::string out = Root + "out." + ext;
    SetFileChooser([&](const TFileRequest&) { return out; });
    AgainstRawWrite(state, [&] { exporter.Execute(); }, out, Root + "copy." + ext, BigCount);
}

void BM_ExportCsv(benchmark::State& state) { Export(state, CsvExport, "csv"); }
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ExportTxt(benchmark::State& state) { Export(state, TxtExport, "txt"); }
BENCHMARK(BM_ExportTxt)->Unit(benchmark::kMillisecond)->UseRealTime();

// The import of 100 000 lines on the disk, its syncs counted.
void Import(benchmark::State& state, bool big)
{
    const std::string file = ImportFile();
    SetFileChooser([&](const TFileRequest&) { return file; });
    TCountingEnv counting;
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Store.Close();
        Store.SetEnv(&counting);
        OpenBook(big);
        counting.Syncs = 0;
        state.ResumeTiming();
        total += Seconds([&] { CsvImport.Execute(); });
        if (Store.Goods().RecordCount() != ImportLines + (big ? BigCount : 0)) {
            state.SkipWithError("lines not imported");
            break;
        }
    }
    Store.Close();
    Store.SetEnv(nullptr);
    state.counters["lines_per_s"] = ImportLines * double(state.iterations()) / total;
    state.counters["syncs_per_line"] = double(counting.Syncs) / ImportLines;
}

void BM_ImportIntoEmpty(benchmark::State& state) { Import(state, false); }
BENCHMARK(BM_ImportIntoEmpty)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_ImportInto100k(benchmark::State& state) { Import(state, true); }
BENCHMARK(BM_ImportInto100k)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

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
        OpenBook(true);
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
    OpenBook(true);
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
    BuildBigBook();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Store.Close();
    SetProgramFolder(std::string());
    fs::remove_all(Root);
    return 0;
}
