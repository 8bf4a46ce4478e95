#include "UFaultEnv.h"

#include <algorithm>
#include <cstring>

namespace tv {

class TFaultFile : public TEnvFile {
public:
    TFaultFile(TFaultEnv* env, std::string name) : FEnv(env), FName(std::move(name)) {}

    ~TFaultFile() override { FEnv->FFiles[FName].Locked = false; }

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
        if (count < 0 || !FEnv->Step(true))
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
        if (!FEnv->Step(true))
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
        if (!FEnv->Step(false))
            return false;
        TFaultEnv::TEntry& e = Entry();
        e.Durable = e.Current;
        e.Ops.clear();
        return true;
    }

private:
    TFaultEnv::TEntry& Entry() { return FEnv->FFiles[FName]; }
    int64_t Size() { return static_cast<int64_t>(Entry().Current.size()); }

    TFaultEnv* FEnv;
    std::string FName;
    int64_t FPos = 0;
};

TFaultEnv::~TFaultEnv() = default;

bool TFaultEnv::FileExists(const std::string& name)
{
    return FFiles.count(name) != 0;
}

std::unique_ptr<TEnvFile> TFaultEnv::CreateFile(const std::string& name)
{
    auto it = FFiles.find(name);
    if (it != FFiles.end() && it->second.Locked)
        return nullptr;
    TEntry& e = FFiles[name];
    if (!e.Current.empty()) {
        if (!Step(true))
            return nullptr;
        TOp op;
        op.Truncation = true;
        op.Seq = FSeq++;
        e.Current.clear();
        e.Ops.push_back(op);
    }
    e.Locked = true;
    return std::make_unique<TFaultFile>(this, name);
}

std::unique_ptr<TEnvFile> TFaultEnv::OpenFile(const std::string& name)
{
    auto it = FFiles.find(name);
    if (it == FFiles.end() || it->second.Locked)
        return nullptr;
    it->second.Locked = true;
    return std::make_unique<TFaultFile>(this, name);
}

void TFaultEnv::ClearFaults()
{
    FCutAt = -1;
    FFailWriteIn = 0;
    FFailSyncIn = 0;
}

bool TFaultEnv::Step(bool isWrite)
{
    if (FCutAt >= 0 && FSteps >= FCutAt)
        return false;
    ++FSteps;
    int& failIn = isWrite ? FFailWriteIn : FFailSyncIn;
    if (failIn > 0 && --failIn == 0)
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
    std::vector<std::pair<uint64_t, TPendingOp>> all;
    for (const auto& [name, e] : FFiles)
        for (const TOp& op : e.Ops) {
            TPendingOp p;
            p.FileName = name;
            p.Offset = op.Offset;
            p.Size = static_cast<int64_t>(op.Data.size());
            p.Truncation = op.Truncation;
            p.PastEnd = !op.Truncation && op.Offset + p.Size > static_cast<int64_t>(e.Durable.size());
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
    for (const auto& [name, e] : FFiles)
        for (const TOp& op : e.Ops)
            order.push_back(op.Seq);
    std::sort(order.begin(), order.end());
    auto keepOf = [&](uint64_t seq) -> int64_t {
        size_t i = static_cast<size_t>(std::lower_bound(order.begin(), order.end(), seq) - order.begin());
        return i < kept.size() ? kept[i] : 0;
    };
    auto env = std::make_unique<TFaultEnv>();
    for (const auto& [name, e] : FFiles) {
        TEntry& n = env->FFiles[name];
        n.Durable = e.Durable;
        for (const TOp& op : e.Ops)
            Apply(n.Durable, op, keepOf(op.Seq));
        n.Current = n.Durable;
    }
    return env;
}

std::string TFaultEnv::Contents(const std::string& name) const
{
    auto it = FFiles.find(name);
    return it == FFiles.end() ? std::string() : it->second.Current;
}

void TFaultEnv::SetContents(const std::string& name, const std::string& bytes)
{
    TEntry& e = FFiles[name];
    e.Durable = bytes;
    e.Current = bytes;
    e.Ops.clear();
}

} // namespace tv
