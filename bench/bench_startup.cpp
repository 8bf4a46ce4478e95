// Start-up of the program: from starting the process to the first paint of
// its main window, with an empty stock book and with 100 000 goods and
// 1 000 000 movements. Each copy runs from a program folder of its own on the
// offscreen platform; the first start of the day (with its backup copy) is
// made before timing, so every timed start opens the data and nothing else.

#include <benchmark/benchmark.h>

#include "UDateTime.h"
#include "UFileEnv.h"
#include "UProgFolder.h"
#include "UProgOptions.h"
#include "UStoreData.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace tv;
namespace fs = std::filesystem;

namespace {

// The real disk without waiting for it: only for building the large book.
class TUnsyncedFile : public TEnvFile {
public:
    explicit TUnsyncedFile(std::unique_ptr<TEnvFile> file) : FFile(std::move(file)) {}
    int64_t Seek(int64_t offset, int origin) override { return FFile->Seek(offset, origin); }
    int64_t Read(void* buffer, int64_t count) override { return FFile->Read(buffer, count); }
    int64_t ReadAt(int64_t offset, void* buffer, int64_t count) override
    {
        return FFile->ReadAt(offset, buffer, count);
    }
    int64_t Write(const void* buffer, int64_t count) override { return FFile->Write(buffer, count); }
    bool Truncate() override { return FFile->Truncate(); }
    bool Sync() override { return true; }
    bool NamedBy(const std::string& name) override { return FFile->NamedBy(name); }

private:
    std::unique_ptr<TEnvFile> FFile;
};

class TUnsyncedEnv : public TFileEnv {
public:
    bool FileExists(const std::string& name) override { return Disk()->FileExists(name); }
    std::unique_ptr<TEnvFile> CreateFile(const std::string& name) override { return Wrap(Disk()->CreateFile(name)); }
    std::unique_ptr<TEnvFile> OpenFile(const std::string& name) override { return Wrap(Disk()->OpenFile(name)); }
    bool RenameFile(const std::string& from, const std::string& to, bool replace) override
    {
        return Disk()->RenameFile(from, to, replace);
    }
    bool RemoveFile(const std::string& name) override { return Disk()->RemoveFile(name); }
    bool SyncDir(const std::string&) override { return true; }
    std::unique_ptr<TEnvFile> OpenReadOnly(const std::string& name) override { return Disk()->OpenReadOnly(name); }
    bool FolderExists(const std::string& name) override { return Disk()->FolderExists(name); }
    bool CreateFolder(const std::string& name) override { return Disk()->CreateFolder(name); }
    bool RemoveFolder(const std::string& name) override { return Disk()->RemoveFolder(name); }
    bool ListFolder(const std::string& name, std::vector<TFolderEntry>& entries) override
    {
        return Disk()->ListFolder(name, entries);
    }
    bool SameFile(const std::string& a, const std::string& b) override { return Disk()->SameFile(a, b); }

private:
    static TFileEnv* Disk() { return TFileEnv::Default(); }
    static std::unique_ptr<TEnvFile> Wrap(std::unique_ptr<TEnvFile> file)
    {
        return file ? std::make_unique<TUnsyncedFile>(std::move(file)) : nullptr;
    }
};

std::string Padded(int n, int digits)
{
    std::string text = std::to_string(n);
    return std::string(text.size() < size_t(digits) ? digits - text.size() : 0, '0') + text;
}

// Fills the folder's Data as years of use do: the goods, each with its first
// receipt, then the other movements booked on goods picked at random, so
// that the movements file is in the order of booking, not of goods.
void MakeBook(const std::string& folder, int goods, int moves)
{
    TUnsyncedEnv env;
    TStore book;
    book.SetEnv(&env);
    SetProgramFolder(folder);
    book.Open(true, "Data");
    // On their numbers every new record goes to the end of its table's order.
    book.Goods().SetIndex(book.Goods().IndID.get());
    book.Moves().SetIndex(book.Moves().IndID.get());
    for (int g = 1; g <= goods; ++g)
        book.InsertGoods(Padded(g, 6), "Goods " + Padded(g, 6) + " grade " + std::to_string(g % 7), "1.25", "10.00",
                         "1", "first receipt");
    std::mt19937 random(20261210);
    for (int m = goods; m < moves; ++m) {
        book.Goods().SetRecNo(static_cast<int32_t>(random() % goods));
        if (m % 3 == 0 && book.Goods().Weight.GetValue() >= 100)
            book.DeductGoods("1.00", "0", "");
        else
            book.AddGoods("2.50", "1", "next receipt");
    }
    book.Close();
    SetProgramFolder(std::string());
}

// A program folder with the executable, a configuration that asks for no
// password and no version check today, and the book. Large books are built
// once and kept for later runs of the benchmark.
std::string MakeProgramFolder(const std::string& name, int goods, int moves)
{
    // One folder per build, so that benchmarks of two checkouts keep apart.
    const fs::path folder = fs::temp_directory_path() /
                            ("tv-bench-startup-" + name + "-" +
                             std::to_string(std::hash<std::string>()(TARNOVELL_EXE) % 1000000));
    const fs::path complete = folder / "book-complete";
    if (!fs::exists(complete)) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        if (goods > 0) MakeBook(folder.string(), goods, moves);
        std::fclose(std::fopen(complete.c_str(), "w"));
    }
    // A new file under the name: a copy still running keeps the old one.
    fs::copy_file(TARNOVELL_EXE, folder / "tarnovell.new", fs::copy_options::overwrite_existing);
    fs::rename(folder / "tarnovell.new", folder / "tarnovell");
    {
        TProgOptions cfg((folder / ProgCfgFileName).string(), ProgRegKeyName);
        cfg.SetPassword(NoPasswordValue);
        cfg.SetLanguage(langEnglish);
        cfg.SetTestDate(Date());
    }
    fs::create_directories(folder / "runtime");
    fs::permissions(folder / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    return folder.string();
}

// Starts the program and waits for its report of the first paint; the
// seconds until then, or a negative value when it did not report.
double TimeToFirstPaint(const std::string& folder)
{
    int out[2];
    if (pipe(out) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string exe = folder + "/tarnovell";
    char* argv[] = {const_cast<char*>(exe.c_str()), nullptr};
    pid_t pid = 0;
    const auto start = std::chrono::steady_clock::now();
    const int rc = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        return -1;
    }
    std::string line;
    char c = 0;
    while (line != "first paint" && read(out[0], &c, 1) == 1)
        line = c == '\n' ? line : line + c;
    const auto painted = std::chrono::steady_clock::now();
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (line != "first paint") return -1;
    return std::chrono::duration<double>(painted - start).count();
}

void StartUp(benchmark::State& state, const std::string& name, int goods, int moves)
{
    const std::string folder = MakeProgramFolder(name, goods, moves);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("TARNOVELL_QUIT_AFTER_FIRST_PAINT", "1", 1);
    setenv("XDG_RUNTIME_DIR", (folder + "/runtime").c_str(), 1);
    if (TimeToFirstPaint(folder) < 0) {  // the day's first start, with its backup copy
        state.SkipWithError("the program did not paint its main window");
        return;
    }
    for (auto _ : state) {
        const double seconds = TimeToFirstPaint(folder);
        if (seconds < 0) {
            state.SkipWithError("the program did not paint its main window");
            break;
        }
        state.SetIterationTime(seconds);
    }
}

// A line "Name:   <n> kB" of this process's status, in bytes; -1 without it.
double StatusBytes(const std::string& name)
{
    std::ifstream status("/proc/self/status");
    std::string key;
    double value = -1;
    for (std::string line; std::getline(status, line);)
        if (line.rfind(name + ":", 0) == 0) value = std::stod(line.substr(name.size() + 1)) * 1024;
    return value;
}

// The part of the start that opens the data, in this process. PeakOverFiles:
// the most memory the open held beyond what the process held before it,
// over the size of the two data files.
void BM_OpenLargeBook(benchmark::State& state)
{
    const std::string folder = MakeProgramFolder("large", 100000, 1000000);
    SetProgramFolder(folder);
    const double files = double(fs::file_size(fs::path(folder) / "Data" / "store.dat") +
                                fs::file_size(fs::path(folder) / "Data" / "moves.dat"));
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // The peak starts again from what the process holds now.
        std::ofstream("/proc/self/clear_refs") << "5";
        const double before = StatusBytes("VmRSS");
        state.ResumeTiming();
        TStore book;
        book.Open(false, "Data");
        if (book.RepairedCount() != 0) state.SkipWithError("the book needed a repair");
        state.PauseTiming();
        peak = std::max(peak, StatusBytes("VmHWM") - before);
        book.Close();
        state.ResumeTiming();
    }
    state.counters["PeakOverFiles"] = peak / files;
    SetProgramFolder(std::string());
}

// What the open is measured against: both files read into memory of their own.
void BM_ReadLargeBookFiles(benchmark::State& state)
{
    const std::string folder = MakeProgramFolder("large", 100000, 1000000);
    for (auto _ : state) {
        for (const char* name : {"store.dat", "moves.dat"}) {
            const fs::path path = fs::path(folder) / "Data" / name;
            std::unique_ptr<char[]> bytes(new char[fs::file_size(path)]);
            std::ifstream in(path, std::ios::binary);
            in.read(bytes.get(), std::streamsize(fs::file_size(path)));
            benchmark::DoNotOptimize(bytes.get());
        }
    }
}

void BM_StartUpEmptyBook(benchmark::State& state) { StartUp(state, "empty", 0, 0); }
void BM_StartUpLargeBook(benchmark::State& state) { StartUp(state, "large", 100000, 1000000); }

BENCHMARK(BM_ReadLargeBookFiles)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenLargeBook)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StartUpEmptyBook)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUpLargeBook)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
