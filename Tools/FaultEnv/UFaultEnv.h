#pragma once
// A file environment for tests: files and folders live in memory together
// with the disk's view of them. Writes and truncations are only safe once the
// file is synced; renames, removals and the creation or removal of a folder
// once the folder holding the name is; until then a simulated power loss may
// drop, tear or keep each of them. A folder the disk lost takes everything
// in it along. Single writes, syncs, renames or folder creations can be made
// to fail, and the sequence of steps can be cut off at any point as if the
// power went.
//
// Folders above everything the environment holds are its ground: a path
// none of whose folders it knows lies on ground that exists and stays.

#include "UFileEnv.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace tv {

class TFaultEnv : public TFileEnv {
public:
    // A write, truncation, rename or removal not yet on the disk, in the
    // order it was made.
    struct TPendingOp {
        std::string FileName; // the file written, the new name, or the name removed
        int64_t Offset = 0;   // where the write starts, or the new size of a truncation
        int64_t Size = 0;     // bytes written; 0 for a truncation, 1 for a rename or removal
        bool Truncation = false;
        bool PastEnd = false; // the write reaches beyond what the disk holds
        bool Rename = false;  // FileName was given to the file named From
        bool Removal = false;
        bool Folder = false;  // FileName is a folder created, or removed when Removal
        std::string From;
    };

    TFaultEnv() = default;
    ~TFaultEnv() override;

    bool FileExists(const std::string& name) override;
    // A new name is on the disk at once, and so is every earlier change of
    // names in its folder, as when the folder is synced; the folder's own
    // entry still needs its parent synced.
    std::unique_ptr<TEnvFile> CreateFile(const std::string& name) override;
    std::unique_ptr<TEnvFile> OpenFile(const std::string& name) override;
    bool RenameFile(const std::string& from, const std::string& to, bool replace) override;
    bool RemoveFile(const std::string& name) override;
    bool SyncDir(const std::string& name) override;
    std::unique_ptr<TEnvFile> OpenReadOnly(const std::string& name) override;
    bool FolderExists(const std::string& name) override;
    bool CreateFolder(const std::string& name) override;
    bool RemoveFolder(const std::string& name) override;
    bool ListFolder(const std::string& name, std::vector<TFolderEntry>& entries) override;
    bool SameFile(const std::string& a, const std::string& b) override;

    // Writes, truncations, syncs of files and folders, renames, removals and
    // creations and removals of folders done so far; each is one step.
    int64_t Steps() const { return FSteps; }
    // Syncs of files and folders tried so far, failed ones included.
    int64_t Syncs() const { return FSyncs; }

    // The n-th write (or truncation) from now fails, n >= 1; later ones work.
    void FailWrite(int n) { FFailWriteIn = n; }
    // The n-th sync of a file or folder from now fails and leaves what it
    // would have made safe unsynced.
    void FailSync(int n) { FFailSyncIn = n; }
    // The n-th rename from now fails and changes nothing.
    void FailRename(int n) { FFailRenameIn = n; }
    // The n-th folder creation from now fails and changes nothing.
    void FailCreateFolder(int n) { FFailFolderIn = n; }
    // After n more steps the power is gone: every later write, truncation,
    // sync, rename and removal fails. Reads still work.
    void CutAfter(int64_t n) { FCutAt = FSteps + n; }
    // Makes every step work again.
    void ClearFaults();

    std::vector<TPendingOp> Pending() const;

    // The disk after a power loss: a new environment whose files hold what
    // was synced plus, of pending operation i, its first kept[i] bytes, or
    // its last -kept[i] bytes when kept[i] is negative (a truncation, rename
    // or removal happens when kept[i] > 0). Missing entries count as 0.
    // Nothing is open in the result.
    std::unique_ptr<TFaultEnv> Crash(const std::vector<int64_t>& kept) const;

    // The file as the running program sees it; empty when missing.
    std::string Contents(const std::string& name) const;
    // The names the running program sees, in order.
    std::vector<std::string> Names() const;
    // The folders the running program sees, in order.
    std::vector<std::string> Folders() const;
    // Replaces a file, as on the disk (synced), in folders that are ground.
    // The file must not be open.
    void SetContents(const std::string& name, const std::string& bytes);

private:
    friend class TFaultFile;

    enum TStepKind { skWrite, skSync, skRename, skRemove, skFolder };

    struct TOp {
        int64_t Offset = 0;
        std::string Data;
        bool Truncation = false;
        uint64_t Seq = 0;
    };
    // One file, whatever names it has.
    struct TEntry {
        std::string Durable;
        std::string Current;
        std::vector<TOp> Ops;
        bool Locked = false;
    };
    // A rename (From to To), a removal (of From, To empty), a folder
    // creation (of To, From empty) or a folder removal (of From, To empty)
    // the folder holding the name has not yet on the disk.
    struct TDirOp {
        std::string From;
        std::string To;
        uint64_t Seq = 0;
        bool Folder = false;
    };
    using TNames = std::map<std::string, int>;
    using TFolders = std::set<std::string>;

    bool Step(TStepKind kind);
    static void Apply(std::string& file, const TOp& op, int64_t keep);
    static void ApplyDirOp(TNames& names, TFolders& folders, const TDirOp& op);
    void MakeDirDurable(const std::string& folder);
    std::unique_ptr<TEnvFile> OpenNode(int node, bool readOnly = false);
    bool FolderReady(const std::string& folder);
    void AddGround(const std::string& folder);
    bool Taken(const std::string& name) const;

    std::map<int, TEntry> FNodes;
    std::map<std::string, int> FNames;      // as the program sees them
    std::map<std::string, int> FDiskNames;  // as the disk holds them
    TFolders FFolders;      // as the program sees them
    TFolders FDiskFolders;  // as the disk holds them
    std::vector<TDirOp> FDirOps;
    int FNextNode = 0;
    int64_t FSteps = 0;
    int64_t FSyncs = 0;
    int64_t FCutAt = -1;
    int FFailWriteIn = 0;
    int FFailSyncIn = 0;
    int FFailRenameIn = 0;
    int FFailFolderIn = 0;
    uint64_t FSeq = 0;
};

} // namespace tv
