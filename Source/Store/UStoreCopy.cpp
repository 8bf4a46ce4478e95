#include "UStoreCopy.h"

#include "UFileEnv.h"

#include <filesystem>
#include <memory>
#include <vector>

namespace tv {

const char* const StoreFileName = "store.dat";
const char* const MovesFileName = "moves.dat";

namespace {

std::string Staged(const std::string& folder, const char* name)
{
    return InFolder(folder, name) + ".new";
}

// Gives the staged file its name; true when that is on the disk.
bool MoveIn(TFileEnv& env, const std::string& folder, const char* name)
{
    return env.RenameFile(Staged(folder, name), InFolder(folder, name), true) &&
           env.SyncDir(InFolder(folder, name));
}

// The staged pair of a folder replaces its files, store.dat first; from
// then on only moves.dat.new is left, which FinishPair recognises. Once
// store.dat has moved in, moves.dat follows also when a flush failed, so
// that the files seen are of one pair.
bool CommitPair(TFileEnv& env, const std::string& folder)
{
    if (!env.RenameFile(Staged(folder, StoreFileName), InFolder(folder, StoreFileName), true)) {
        env.RemoveFile(Staged(folder, StoreFileName));
        env.RemoveFile(Staged(folder, MovesFileName));
        return false;
    }
    const bool synced = env.SyncDir(InFolder(folder, StoreFileName));
    return MoveIn(env, folder, MovesFileName) && synced;
}

std::string ReadAll(TFileEnv& env, const std::string& name, bool& ok)
{
    std::string bytes;
    std::unique_ptr<TEnvFile> f = env.OpenReadOnly(name);
    ok = f != nullptr;
    std::vector<char> buffer(1 << 16);
    while (ok) {
        const int64_t n = f->Read(buffer.data(), static_cast<int64_t>(buffer.size()));
        ok = n >= 0;
        if (n <= 0)
            break;
        bytes.append(buffer.data(), static_cast<size_t>(n));
    }
    return bytes;
}

// Copies the file to the temporary file beside the target, on the disk.
bool CopyToPart(TFileEnv& env, const std::string& from, const std::string& to)
{
    if (env.CopyFile(from, to + ".part"))
        return true;
    env.RemoveFile(to + ".part");
    return false;
}

// The temporary copy replaces the target; true when that is on the disk.
bool PartIn(TFileEnv& env, const std::string& to)
{
    if (env.RenameFile(to + ".part", to, true))
        return env.SyncDir(to);
    env.RemoveFile(to + ".part");
    return false;
}

} // namespace

std::string FolderOf(const std::string& name)
{
    const std::string folder = std::filesystem::path(name).parent_path().string();
    return folder.empty() ? std::string(".") : folder;
}

std::string InFolder(const std::string& folder, const std::string& name)
{
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool MakeFolder(TFileEnv& env, const std::string& folder)
{
    return env.FolderExists(folder) || (env.CreateFolder(folder) && env.SyncDir(folder));
}

bool RemoveFolderWithFiles(TFileEnv& env, const std::string& folder)
{
    std::vector<TFileEnv::TFolderEntry> entries;
    if (!env.ListFolder(folder, entries))
        return !env.FolderExists(folder);
    for (const TFileEnv::TFolderEntry& e : entries)
        if (!e.Folder)
            env.RemoveFile(InFolder(folder, e.Name));
    return env.RemoveFolder(folder) && env.SyncDir(folder);
}

bool CopyOver(TFileEnv& env, const std::string& from, const std::string& to)
{
    return !env.SameFile(from, to) && CopyToPart(env, from, to) && PartIn(env, to);
}

// Completes or drops a replacement of a folder's pair that was cut short:
// both files staged, or moves.dat alone left after store.dat replaced its
// file, are moved in; store.dat staged alone, and a copy still in progress,
// were never complete.
bool FinishPair(TFileEnv& env, const std::string& folder)
{
    for (const char* name : {StoreFileName, MovesFileName})
        env.RemoveFile(Staged(folder, name) + ".part");
    const bool store = env.FileExists(Staged(folder, StoreFileName));
    const bool moves = env.FileExists(Staged(folder, MovesFileName));
    if (store && moves)
        return CommitPair(env, folder);
    if (moves)
        return MoveIn(env, folder, MovesFileName);
    if (store)
        env.RemoveFile(Staged(folder, StoreFileName));
    return true;
}

bool ReplacePair(TFileEnv& env, const std::string& from, const std::string& to, bool* Begun,
                 const TPairCheck& Check)
{
    if (Begun)
        *Begun = false;
    for (const char* name : {StoreFileName, MovesFileName})
        if (env.SameFile(InFolder(from, name), InFolder(to, name)))
            return false;
    if (!FinishPair(env, to))
        return false;
    const std::string store = Staged(to, StoreFileName), moves = Staged(to, MovesFileName);
    // Once moves.dat.new is there the pair counts as staged, so the check
    // looks at its copy before it takes that name.
    if (!CopyOver(env, InFolder(from, StoreFileName), store) ||
        !CopyToPart(env, InFolder(from, MovesFileName), moves) ||
        (Check && !Check(store, moves + ".part"))) {
        env.RemoveFile(moves + ".part");
        env.RemoveFile(store);
        return false;
    }
    if (Begun)
        *Begun = true;
    if (!PartIn(env, moves))
        return false;
    return CommitPair(env, to);
}

bool CopyPair(TFileEnv& env, const std::string& from, const std::string& to, bool Overwrite)
{
    if (!FinishPair(env, from) || !FinishPair(env, to))
        return false;
    const auto there = [&](const std::string& folder, const char* name) {
        return env.FileExists(InFolder(folder, name));
    };
    const bool target = there(to, StoreFileName) || there(to, MovesFileName);
    if ((Overwrite || !target) && there(from, StoreFileName) && there(from, MovesFileName))
        return ReplacePair(env, from, to);
    bool both = true;
    for (const char* name : {StoreFileName, MovesFileName}) {
        if (!Overwrite && there(to, name))
            continue;
        both = CopyOver(env, InFolder(from, name), InFolder(to, name)) && both;
    }
    return both;
}

bool SamePairContents(TFileEnv& env, const std::string& a, const std::string& b)
{
    for (const char* name : {StoreFileName, MovesFileName}) {
        bool okA = false, okB = false;
        const std::string bytesA = ReadAll(env, InFolder(a, name), okA);
        const std::string bytesB = ReadAll(env, InFolder(b, name), okB);
        if (!okA || !okB || bytesA != bytesB)
            return false;
    }
    return true;
}

} // namespace tv
