#include "UFaultEnv.h"

#include <algorithm>
#include <cstring>

namespace tv {

namespace {

std::string FolderOf(const std::string& name)
{
    std::string::size_type slash = name.rfind('/');
    return slash == std::string::npos ? std::string() : name.substr(0, slash);
}

} // namespace

class TFaultFile : public TEnvFile {
public:
    TFaultFile(TFaultEnv* env, int node) : FEnv(env), FNode(node) {}

    ~TFaultFile() override { Entry().Locked = false; }

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
        const std::string& data = Entry().Current;
        if (count < 0)
            return -1;
        int64_t n = std::max<int64_t>(0, std::min<int64_t>(count, Size() - FPos));
        if (n > 0)
            std::memcpy(buffer, data.data() + FPos, static_cast<size_t>(n));
        FPos += n;
        return n;
    }

    int64_t Write(const void* buffer, int64_t count) override
    {
        if (count < 0 || !FEnv->Step(TFaultEnv::skWrite))
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
        if (!FEnv->Step(TFaultEnv::skWrite))
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

private:
    TFaultEnv::TEntry& Entry() { return FEnv->FNodes[FNode]; }
    int64_t Size() { return static_cast<int64_t>(Entry().Current.size()); }

    TFaultEnv* FEnv;
    int FNode;
    int64_t FPos = 0;
};

TFaultEnv::~TFaultEnv() = default;

bool TFaultEnv::FileExists(const std::string& name)
{
    return FNames.count(name) != 0;
}

std::unique_ptr<TEnvFile> TFaultEnv::OpenNode(int node)
{
    FNodes[node].Locked = true;
    return std::make_unique<TFaultFile>(this, node);
}

std::unique_ptr<TEnvFile> TFaultEnv::CreateFile(const std::string& name)
{
    auto it = FNames.find(name);
    if (it == FNames.end()) {
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
    auto it = FNames.find(name);
    if (it == FNames.end() || FNodes[it->second].Locked)
        return nullptr;
    return OpenNode(it->second);
}

bool TFaultEnv::RenameFile(const std::string& from, const std::string& to, bool replace)
{
    auto it = FNames.find(from);
    if (it == FNames.end() || (!replace && FNames.count(to) != 0) || from == to)
        return false;
    if (!Step(skRename))
        return false;
    TDirOp op{from, to, FSeq++};
    ApplyDirOp(FNames, op);
    FDirOps.push_back(op);
    return true;
}

bool TFaultEnv::RemoveFile(const std::string& name)
{
    if (FNames.count(name) == 0 || !Step(skRemove))
        return false;
    TDirOp op{name, std::string(), FSeq++};
    ApplyDirOp(FNames, op);
    FDirOps.push_back(op);
    return true;
}

bool TFaultEnv::SyncDir(const std::string& name)
{
    if (!Step(skSync))
        return false;
    MakeDirDurable(FolderOf(name));
    return true;
}

void TFaultEnv::MakeDirDurable(const std::string& folder)
{
    std::vector<TDirOp> left;
    for (const TDirOp& op : FDirOps) {
        if (FolderOf(op.To.empty() ? op.From : op.To) == folder)
            ApplyDirOp(FDiskNames, op);
        else
            left.push_back(op);
    }
    FDirOps = std::move(left);
}

void TFaultEnv::ApplyDirOp(std::map<std::string, int>& names, const TDirOp& op)
{
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
}

bool TFaultEnv::Step(TStepKind kind)
{
    if (FCutAt >= 0 && FSteps >= FCutAt)
        return false;
    ++FSteps;
    int* failIn = kind == skWrite ? &FFailWriteIn
                  : kind == skSync ? &FFailSyncIn
                  : kind == skRename ? &FFailRenameIn
                                     : nullptr;
    if (failIn && *failIn > 0 && --*failIn == 0)
        return false;
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
        p.Rename = !op.To.empty();
        p.Removal = op.To.empty();
        p.FileName = p.Rename ? op.To : op.From;
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
    std::map<std::string, int> names = FDiskNames;
    for (const TDirOp& op : FDirOps)
        if (keepOf(op.Seq) > 0)
            ApplyDirOp(names, op);
    auto env = std::make_unique<TFaultEnv>();
    std::map<int, int> newNode;
    for (const auto& [name, node] : names) {
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
    auto it = FNames.find(name);
    return it == FNames.end() ? std::string() : FNodes.at(it->second).Current;
}

std::vector<std::string> TFaultEnv::Names() const
{
    std::vector<std::string> result;
    for (const auto& [name, node] : FNames)
        result.push_back(name);
    return result;
}

void TFaultEnv::SetContents(const std::string& name, const std::string& bytes)
{
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
