#include "UStoreCopy.h"

#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace tv {

namespace fs = std::filesystem;

const char* const StoreFileName = "store.dat";
const char* const MovesFileName = "moves.dat";

namespace {

// Puts what was written to the file or folder on the disk.
bool SyncPath(const std::string& name, bool folder)
{
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | (folder ? O_DIRECTORY : 0));
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

std::string Staged(const std::string& folder, const char* name)
{
    return folder + "/" + name + ".new";
}

// The staged pair of a folder replaces its files, store.dat first; from
// then on only moves.dat.new is left, which FinishPair recognises.
bool CommitPair(const std::string& folder)
{
    std::error_code ec;
    fs::rename(Staged(folder, StoreFileName), folder + "/" + StoreFileName, ec);
    if (ec) {
        fs::remove(Staged(folder, StoreFileName), ec);
        fs::remove(Staged(folder, MovesFileName), ec);
        return false;
    }
    SyncPath(folder, true);
    fs::rename(Staged(folder, MovesFileName), folder + "/" + MovesFileName, ec);
    SyncPath(folder, true);
    return !ec;
}

} // namespace

std::string FolderOf(const std::string& name)
{
    const std::string folder = fs::path(name).parent_path().string();
    return folder.empty() ? std::string(".") : folder;
}

bool CopyOver(const std::string& from, const std::string& to)
{
    std::error_code ec;
    if (fs::equivalent(from, to, ec) || !fs::is_regular_file(from, ec))
        return false;
    const std::string part = to + ".part";
    if (!fs::copy_file(from, part, fs::copy_options::overwrite_existing, ec) || ec ||
        !SyncPath(part, false)) {
        fs::remove(part, ec);
        return false;
    }
    fs::rename(part, to, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(part, ignored);
        return false;
    }
    SyncPath(FolderOf(to), true);
    return true;
}

// Completes or drops a replacement of a folder's pair that was cut short:
// both files staged, or moves.dat alone left after store.dat replaced its
// file, are moved in; store.dat staged alone, and a copy still in progress,
// were never complete.
void FinishPair(const std::string& folder)
{
    std::error_code ec;
    for (const char* name : {StoreFileName, MovesFileName})
        fs::remove(Staged(folder, name) + ".part", ec);
    const bool store = fs::exists(Staged(folder, StoreFileName), ec);
    const bool moves = fs::exists(Staged(folder, MovesFileName), ec);
    if (store && moves) {
        CommitPair(folder);
    } else if (moves) {
        fs::rename(Staged(folder, MovesFileName), folder + "/" + MovesFileName, ec);
        SyncPath(folder, true);
    } else if (store) {
        fs::remove(Staged(folder, StoreFileName), ec);
    }
}

bool ReplacePair(const std::string& from, const std::string& to)
{
    std::error_code ec;
    for (const char* name : {StoreFileName, MovesFileName})
        if (fs::equivalent(from + "/" + name, to + "/" + name, ec))
            return false;
    FinishPair(to);
    if (!CopyOver(from + "/" + StoreFileName, Staged(to, StoreFileName)) ||
        !CopyOver(from + "/" + MovesFileName, Staged(to, MovesFileName))) {
        fs::remove(Staged(to, StoreFileName), ec);
        fs::remove(Staged(to, MovesFileName), ec);
        return false;
    }
    return CommitPair(to);
}

bool CopyPair(const std::string& from, const std::string& to, bool Overwrite)
{
    std::error_code ec;
    FinishPair(from);
    FinishPair(to);
    const std::string src = from + "/", dst = to + "/";
    const bool target = fs::exists(dst + StoreFileName, ec) || fs::exists(dst + MovesFileName, ec);
    if ((Overwrite || !target) && fs::exists(src + StoreFileName, ec) &&
        fs::exists(src + MovesFileName, ec))
        return ReplacePair(from, to);
    bool both = true;
    for (const char* name : {StoreFileName, MovesFileName}) {
        if (!Overwrite && fs::exists(dst + name, ec))
            continue;
        both = CopyOver(src + name, dst + name) && both;
    }
    return both;
}

} // namespace tv
