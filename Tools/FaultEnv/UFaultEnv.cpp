#include "UFaultEnv.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tv {

namespace {

std::string FolderOf(const std::string& name)
{
    std::string::size_type slash = name.rfind('/');
    return slash == std::string::npos ? std::string() : name.substr(0, slash);
}

// One spelling per name: no doubled or trailing slashes.
std::string Norm(const std::string& name)
{
    std::string n;
    for (char c : name)
        if (c != '/' || n.empty() || n.back() != '/')
            n += c;
    if (n.size() > 1 && n.back() == '/')
        n.pop_back();
    return n;
}

bool Present(const std::set<std::string>& folders, const std::string& folder)
{
    return folder.empty() || folders.count(folder) != 0;
}

} // namespace

class TFaultFile : public TEnvFile {
public:
    TFaultFile(TFaultEnv* env, int node, bool readOnly)
        : FEnv(env), FNode(node), FReadOnly(readOnly)
    {
    }

    ~TFaultFile() override
    {
        if (!FReadOnly)
            Entry().Locked = false;
    }

    int64_t Seek(int64_t offset, int origin) override
    {
        int64_t base = origin == 0 ? 0 : origin == 1 ? FPos : origin == 2 ? Size() : -1;
        if (base < 0 || base + offset < 0)
            return -1;
        FPos = base + offset;
        return FPos;
    }

    int64_t Read(void* buffer, int64_t count) override
    {
        const int64_t n = ReadAt(FPos, buffer, count);
        if (n > 0)
            FPos += n;
        return n;
    }

    int64_t ReadAt(int64_t offset, void* buffer, int64_t count) override
    {
        // A lookup that never inserts, so that parallel reads share the map.
        const std::string& data = FEnv->FNodes.at(FNode).Current;
        const auto size = static_cast<int64_t>(data.size());
        if (count < 0 || offset < 0)
            return -1;
        const int64_t n = std::max<int64_t>(0, std::min<int64_t>(count, size - offset));
        if (n > 0)
            std::memcpy(buffer, data.data() + offset, static_cast<size_t>(n));
        return n;
    }

    int64_t Write(const void* buffer, int64_t count) override
    {
        if (count < 0 || FReadOnly || !FEnv->Step(TFaultEnv::skWrite))
            return -1;
        TFaultEnv::TOp op;
        op.Offset = FPos;
        op.Data.assign(static_cast<const char*>(buffer), static_cast<size_t>(count));
        op.Seq = FEnv->FSeq++;
        TFaultEnv::Apply(Entry().Current, op, count);
        Entry().Ops.push_back(std::move(op));
        FPos += count;
        return count;
    }

    bool Truncate() override
    {
        if (FReadOnly || !FEnv->Step(TFaultEnv::skWrite))
            return false;
        TFaultEnv::TOp op;
        op.Offset = FPos;
        op.Truncation = true;
        op.Seq = FEnv->FSeq++;
        TFaultEnv::Apply(Entry().Current, op, 1);
        Entry().Ops.push_back(std::move(op));
        return true;
    }

    bool Sync() override
    {
        if (!FEnv->Step(TFaultEnv::skSync))
            return false;
        TFaultEnv::TEntry& e = Entry();
        e.Durable = e.Current;
        e.Ops.clear();
        return true;
    }

    bool NamedBy(const std::string& name) override
    {
        auto it = FEnv->FNames.find(Norm(name));
        if (it == FEnv->FNames.end() || it->second != FNode) {
            errno = it == FEnv->FNames.end() ? ENOENT : ESTALE;
            return false;
        }
        return true;
    }

private:
    TFaultEnv::TEntry& Entry() { return FEnv->FNodes[FNode]; }
    int64_t Size() { return static_cast<int64_t>(Entry().Current.size()); }

    TFaultEnv* FEnv;
    int FNode;
    bool FReadOnly;
    int64_t FPos = 0;
};

TFaultEnv::~TFaultEnv() = default;

bool TFaultEnv::FileExists(const std::string& name)
{
    return Taken(Norm(name));
}

bool TFaultEnv::Taken(const std::string& name) const
{
    return FNames.count(name) != 0 || FFolders.count(name) != 0;
}

std::unique_ptr<TEnvFile> TFaultEnv::OpenNode(int node, bool readOnly)
{
    if (!readOnly)
        FNodes[node].Locked = true;
    return std::make_unique<TFaultFile>(this, node, readOnly);
}

void TFaultEnv::AddGround(const std::string& folder)
{
    for (std::string f = folder; !f.empty(); f = FolderOf(f)) {
        FFolders.insert(f);
        FDiskFolders.insert(f);
    }
}

// True when the folder is there or lies on ground, which it then joins.
bool TFaultEnv::FolderReady(const std::string& folder)
{
    if (Present(FFolders, folder))
        return true;
    for (std::string f = FolderOf(folder); !f.empty(); f = FolderOf(f))
        if (Taken(f))
            return false;
    AddGround(folder);
    return true;
}

std::unique_ptr<TEnvFile> TFaultEnv::CreateFile(const std::string& fileName)
{
    const std::string name = Norm(fileName);
    if (FFolders.count(name) != 0)
        return nullptr;
    auto it = FNames.find(name);
    if (it == FNames.end()) {
        if (!FolderReady(FolderOf(name)))
            return nullptr;
        const int node = FNextNode++;
        FNodes[node];
        FNames[name] = node;
        MakeDirDurable(FolderOf(name));
        FDiskNames[name] = node;
        return OpenNode(node);
    }
    TEntry& e = FNodes[it->second];
    if (e.Locked)
        return nullptr;
    if (!e.Current.empty()) {
        if (!Step(skWrite))
            return nullptr;
        TOp op;
        op.Truncation = true;
        op.Seq = FSeq++;
        e.Current.clear();
        e.Ops.push_back(op);
    }
    return OpenNode(it->second);
}

std::unique_ptr<TEnvFile> TFaultEnv::OpenFile(const std::string& name)
{
    auto it = FNames.find(Norm(name));
    if (it == FNames.end() || FNodes[it->second].Locked)
        return nullptr;
    return OpenNode(it->second);
}

std::unique_ptr<TEnvFile> TFaultEnv::OpenReadOnly(const std::string& name)
{
    auto it = FNames.find(Norm(name));
    return it == FNames.end() ? nullptr : OpenNode(it->second, true);
}

bool TFaultEnv::RenameFile(const std::string& fromName, const std::string& toName, bool replace)
{
    const std::string from = Norm(fromName), to = Norm(toName);
    auto it = FNames.find(from);
    if (it == FNames.end() || (!replace && FNames.count(to) != 0) || from == to ||
        FFolders.count(to) != 0 || !Present(FFolders, FolderOf(to)))
        return false;
    if (!Step(skRename))
        return false;
    TDirOp op{from, to, FSeq++};
    ApplyDirOp(FNames, FFolders, op);
    FDirOps.push_back(op);
    return true;
}

bool TFaultEnv::RemoveFile(const std::string& fileName)
{
    const std::string name = Norm(fileName);
    if (FNames.count(name) == 0 || !Step(skRemove))
        return false;
    TDirOp op{name, std::string(), FSeq++};
    ApplyDirOp(FNames, FFolders, op);
    FDirOps.push_back(op);
    return true;
}

bool TFaultEnv::SyncDir(const std::string& name)
{
    if (!Step(skSync))
        return false;
    MakeDirDurable(FolderOf(Norm(name)));
    return true;
}

bool TFaultEnv::FolderExists(const std::string& name)
{
    const std::string folder = Norm(name);
    return !folder.empty() && Present(FFolders, folder);
}

bool TFaultEnv::CreateFolder(const std::string& name)
{
    const std::string folder = Norm(name);
    if (folder.empty() || Taken(folder) || !FolderReady(FolderOf(folder)) || !Step(skFolder))
        return false;
    if (FFailFolderIn > 0 && --FFailFolderIn == 0)
        return false;
    TDirOp op{std::string(), folder, FSeq++, true};
    ApplyDirOp(FNames, FFolders, op);
    FDirOps.push_back(op);
    return true;
}

bool TFaultEnv::RemoveFolder(const std::string& name)
{
    const std::string folder = Norm(name);
    std::vector<TFolderEntry> entries;
    if (!ListFolder(folder, entries) || !entries.empty() || !Step(skFolder))
        return false;
    TDirOp op{folder, std::string(), FSeq++, true};
    ApplyDirOp(FNames, FFolders, op);
    FDirOps.push_back(op);
    return true;
}

bool TFaultEnv::ListFolder(const std::string& name, std::vector<TFolderEntry>& entries)
{
    entries.clear();
    const std::string folder = Norm(name);
    if (!FolderExists(folder))
        return false;
    const size_t skip = folder == "/" ? 1 : folder.size() + 1;
    for (const auto& [n, node] : FNames)
        if (FolderOf(n) == folder)
            entries.push_back({n.substr(skip), false});
    for (const std::string& f : FFolders)
        if (FolderOf(f) == folder)
            entries.push_back({f.substr(skip), true});
    std::sort(entries.begin(), entries.end(),
              [](const TFolderEntry& a, const TFolderEntry& b) { return a.Name < b.Name; });
    return true;
}

bool TFaultEnv::SameFile(const std::string& a, const std::string& b)
{
    const std::string na = Norm(a), nb = Norm(b);
    auto ia = FNames.find(na), ib = FNames.find(nb);
    if (ia != FNames.end() && ib != FNames.end())
        return ia->second == ib->second;
    return na == nb && FolderExists(na);
}

void TFaultEnv::MakeDirDurable(const std::string& folder)
{
    std::vector<TDirOp> left;
    std::vector<std::string> removed;
    for (const TDirOp& op : FDirOps) {
        if (FolderOf(op.To.empty() ? op.From : op.To) == folder) {
            ApplyDirOp(FDiskNames, FDiskFolders, op);
            if (op.Folder && op.To.empty())
                removed.push_back(op.From + "/");
        } else {
            left.push_back(op);
        }
    }
    // What was pending in a folder the disk no longer holds is moot.
    std::erase_if(left, [&](const TDirOp& op) {
        const std::string name = op.To.empty() ? op.From : op.To;
        return std::any_of(removed.begin(), removed.end(),
                           [&](const std::string& f) { return name.compare(0, f.size(), f) == 0; });
    });
    FDirOps = std::move(left);
}

void TFaultEnv::ApplyDirOp(TNames& names, TFolders& folders, const TDirOp& op)
{
    if (op.Folder) {
        if (op.From.empty())
            folders.insert(op.To);
        else
            folders.erase(op.From);
        return;
    }
    auto it = names.find(op.From);
    if (it == names.end())
        return;
    const int node = it->second;
    names.erase(it);
    if (!op.To.empty())
        names[op.To] = node;
}

void TFaultEnv::ClearFaults()
{
    FCutAt = -1;
    FFailWriteIn = 0;
    FFailSyncIn = 0;
    FFailRenameIn = 0;
    FFailFolderIn = 0;
}

// A failed step leaves a reason in errno as the system would: a write the
// test makes fail finds the disk full, anything after the power went fails
// as input/output.
bool TFaultEnv::Step(TStepKind kind)
{
    if (FCutAt >= 0 && FSteps >= FCutAt) {
        errno = EIO;
        return false;
    }
    ++FSteps;
    if (kind == skSync)
        ++FSyncs;
    int* failIn = kind == skWrite ? &FFailWriteIn
                  : kind == skSync ? &FFailSyncIn
                  : kind == skRename ? &FFailRenameIn
                                     : nullptr;
    if (failIn && *failIn > 0 && --*failIn == 0) {
        errno = kind == skWrite ? ENOSPC : EIO;
        return false;
    }
    return true;
}

void TFaultEnv::Apply(std::string& file, const TOp& op, int64_t keep)
{
    if (op.Truncation) {
        if (keep > 0)
            file.resize(static_cast<size_t>(op.Offset));
        return;
    }
    const int64_t size = static_cast<int64_t>(op.Data.size());
    int64_t from = 0, to = std::min(keep, size);
    if (keep < 0) {
        from = std::max<int64_t>(0, size + keep);
        to = size;
    }
    if (to <= from)
        return;
    size_t end = static_cast<size_t>(op.Offset + to);
    if (file.size() < end)
        file.resize(end, '\0');
    std::memcpy(file.data() + op.Offset + from, op.Data.data() + from, static_cast<size_t>(to - from));
}

std::vector<TFaultEnv::TPendingOp> TFaultEnv::Pending() const
{
    std::map<int, std::string> nameOf;
    for (const auto* names : {&FDiskNames, &FNames})
        for (const auto& [name, node] : *names)
            nameOf[node] = name;
    std::vector<std::pair<uint64_t, TPendingOp>> all;
    for (const auto& [node, e] : FNodes)
        for (const TOp& op : e.Ops) {
            TPendingOp p;
            p.FileName = nameOf.count(node) ? nameOf.at(node) : std::string();
            p.Offset = op.Offset;
            p.Size = static_cast<int64_t>(op.Data.size());
            p.Truncation = op.Truncation;
            p.PastEnd = !op.Truncation && op.Offset + p.Size > static_cast<int64_t>(e.Durable.size());
            all.emplace_back(op.Seq, p);
        }
    for (const TDirOp& op : FDirOps) {
        TPendingOp p;
        p.Size = 1;
        p.Folder = op.Folder;
        p.Rename = !op.Folder && !op.To.empty();
        p.Removal = op.To.empty();
        p.FileName = op.To.empty() ? op.From : op.To;
        if (p.Rename)
            p.From = op.From;
        all.emplace_back(op.Seq, p);
    }
    std::sort(all.begin(), all.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<TPendingOp> result;
    for (auto& [seq, p] : all)
        result.push_back(std::move(p));
    return result;
}

std::unique_ptr<TFaultEnv> TFaultEnv::Crash(const std::vector<int64_t>& kept) const
{
    std::vector<uint64_t> order;
    for (const auto& [node, e] : FNodes)
        for (const TOp& op : e.Ops)
            order.push_back(op.Seq);
    for (const TDirOp& op : FDirOps)
        order.push_back(op.Seq);
    std::sort(order.begin(), order.end());
    auto keepOf = [&](uint64_t seq) -> int64_t {
        size_t i = static_cast<size_t>(std::lower_bound(order.begin(), order.end(), seq) - order.begin());
        return i < kept.size() ? kept[i] : 0;
    };
    TNames names = FDiskNames;
    TFolders folders = FDiskFolders;
    for (const TDirOp& op : FDirOps)
        if (keepOf(op.Seq) > 0)
            ApplyDirOp(names, folders, op);
    auto env = std::make_unique<TFaultEnv>();
    // A folder whose own entry the disk lost is gone with all it holds.
    for (const std::string& f : folders) {
        if (Present(env->FFolders, FolderOf(f))) {
            env->FFolders.insert(f);
            env->FDiskFolders.insert(f);
        }
    }
    std::map<int, int> newNode;
    for (const auto& [name, node] : names) {
        if (!Present(env->FFolders, FolderOf(name)))
            continue;
        if (newNode.count(node) == 0) {
            const int n = env->FNextNode++;
            newNode[node] = n;
            const TEntry& e = FNodes.at(node);
            TEntry& d = env->FNodes[n];
            d.Durable = e.Durable;
            for (const TOp& op : e.Ops)
                Apply(d.Durable, op, keepOf(op.Seq));
            d.Current = d.Durable;
        }
        env->FNames[name] = newNode[node];
        env->FDiskNames[name] = newNode[node];
    }
    return env;
}

std::string TFaultEnv::Contents(const std::string& name) const
{
    auto it = FNames.find(Norm(name));
    return it == FNames.end() ? std::string() : FNodes.at(it->second).Current;
}

std::vector<std::string> TFaultEnv::Names() const
{
    std::vector<std::string> result;
    for (const auto& [name, node] : FNames)
        result.push_back(name);
    return result;
}

std::vector<std::string> TFaultEnv::Folders() const
{
    return std::vector<std::string>(FFolders.begin(), FFolders.end());
}

void TFaultEnv::SetContents(const std::string& fileName, const std::string& bytes)
{
    const std::string name = Norm(fileName);
    AddGround(FolderOf(name));
    auto it = FNames.find(name);
    const int node = it != FNames.end() ? it->second : FNextNode++;
    TEntry& e = FNodes[node];
    e.Durable = bytes;
    e.Current = bytes;
    e.Ops.clear();
    FNames[name] = node;
    FDiskNames[name] = node;
}

} // namespace tv
