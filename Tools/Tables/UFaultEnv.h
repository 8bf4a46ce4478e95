#pragma once
// A file environment for tests: files live in memory together with the
// disk's view of them. Writes and truncations are only safe once the file is
// synced; until then a simulated power loss may drop, tear or keep each of
// them. Single writes or syncs can be made to fail, and the sequence of
// steps can be cut off at any point as if the power went.

#include "UFileEnv.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tv {

class TFaultEnv : public TFileEnv {
public:
    // A write or truncation not yet on the disk, in the order it was made.
    struct TPendingOp {
        std::string FileName;
        int64_t Offset = 0;   // where the write starts, or the new size of a truncation
        int64_t Size = 0;     // bytes written; 0 for a truncation
        bool Truncation = false;
        bool PastEnd = false; // the write reaches beyond what the disk holds
    };

    TFaultEnv() = default;
    ~TFaultEnv() override;

    bool FileExists(const std::string& name) override;
    std::unique_ptr<TEnvFile> CreateFile(const std::string& name) override;
    std::unique_ptr<TEnvFile> OpenFile(const std::string& name) override;

    // Writes, truncations and syncs done so far; each is one step.
    int64_t Steps() const { return FSteps; }

    // The n-th write (or truncation) from now fails, n >= 1; later ones work.
    void FailWrite(int n) { FFailWriteIn = n; }
    // The n-th sync from now fails and leaves the file's writes unsynced.
    void FailSync(int n) { FFailSyncIn = n; }
    // After n more steps the power is gone: every later write, truncation
    // and sync fails. Reads still work.
    void CutAfter(int64_t n) { FCutAt = FSteps + n; }
    // Makes every step work again.
    void ClearFaults();

    std::vector<TPendingOp> Pending() const;

    // The disk after a power loss: a new environment whose files hold what
    // was synced plus, of pending operation i, its first kept[i] bytes, or
    // its last -kept[i] bytes when kept[i] is negative (a truncation happens
    // when kept[i] > 0). Missing entries count as 0. Nothing is open in the
    // result.
    std::unique_ptr<TFaultEnv> Crash(const std::vector<int64_t>& kept) const;

    // The file as the running program sees it; empty when missing.
    std::string Contents(const std::string& name) const;
    // Replaces a file, as on the disk (synced). The file must not be open.
    void SetContents(const std::string& name, const std::string& bytes);

private:
    friend class TFaultFile;

    struct TOp {
        int64_t Offset = 0;
        std::string Data;
        bool Truncation = false;
        uint64_t Seq = 0;
    };
    struct TEntry {
        std::string Durable;
        std::string Current;
        std::vector<TOp> Ops;
        bool Locked = false;
    };

    bool Step(bool isWrite);
    static void Apply(std::string& file, const TOp& op, int64_t keep);

    std::map<std::string, TEntry> FFiles;
    int64_t FSteps = 0;
    int64_t FCutAt = -1;
    int FFailWriteIn = 0;
    int FFailSyncIn = 0;
    uint64_t FSeq = 0;
};

} // namespace tv
