#pragma once
// Every file operation of the table engine goes through a TFileEnv, so that
// tests can replace the disk by one that fails or loses writes on purpose.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tv {

// One open file. Operations report failure by their result and never throw.
// The file is closed when the object is destroyed.
class TEnvFile {
public:
    TEnvFile() = default;
    TEnvFile(const TEnvFile&) = delete;
    TEnvFile& operator=(const TEnvFile&) = delete;
    virtual ~TEnvFile() = default;

    // Moves the position: origin 0 from the start, 1 from the current
    // position, 2 from the end. Returns the new position or -1.
    virtual int64_t Seek(int64_t offset, int origin) = 0;

    // Reads up to count bytes at the position and advances it. Returns the
    // bytes read (fewer only at the end of the file) or -1.
    virtual int64_t Read(void* buffer, int64_t count) = 0;

    // Reads up to count bytes at offset without moving the position; calls
    // from several threads at once are safe while nothing writes. Returns
    // the bytes read (fewer only at the end of the file) or -1.
    virtual int64_t ReadAt(int64_t offset, void* buffer, int64_t count) = 0;

    // Writes count bytes at the position and advances it. Returns the bytes
    // written or -1.
    virtual int64_t Write(const void* buffer, int64_t count) = 0;

    // Ends the file at the position.
    virtual bool Truncate() = 0;

    // Writes the bytes of source from its position to its end at the
    // position, and advances both. Returns the bytes written or -1. Through
    // Read and Write in pieces of 1 MiB unless the environment has a copy
    // of its own.
    virtual int64_t WriteFrom(TEnvFile& source);

    // Returns only when every write and truncation so far is on the disk.
    virtual bool Sync() = 0;

    // True when the name still names this open file: it was neither removed
    // nor replaced since the open. A failed operation leaves the system's
    // reason in errno.
    virtual bool NamedBy(const std::string& name) = 0;
};

class TFileEnv {
public:
    TFileEnv() = default;
    TFileEnv(const TFileEnv&) = delete;
    TFileEnv& operator=(const TFileEnv&) = delete;
    virtual ~TFileEnv() = default;

    virtual bool FileExists(const std::string& name) = 0;

    // Creates the file, or empties an existing one, and opens it for reading
    // and writing, exclusively: no other open of the file, from this process
    // or another, succeeds while it is open. An existing file that someone
    // holds open is left untouched. The name of a new file is on the disk
    // when it returns. Returns null on failure.
    virtual std::unique_ptr<TEnvFile> CreateFile(const std::string& name) = 0;

    // Opens an existing file for reading and writing, exclusively as above.
    // Returns null when it cannot (missing, no access, held by another).
    virtual std::unique_ptr<TEnvFile> OpenFile(const std::string& name) = 0;

    // Gives the file named from the name to, in one step; an existing file
    // named to is replaced only when replace is true, else the call fails.
    // Open handles follow the file. A power loss before SyncDir of the
    // folder returns may undo the rename.
    virtual bool RenameFile(const std::string& from, const std::string& to, bool replace) = 0;

    // Removes the name; open handles of the file still work. A power loss
    // before SyncDir of the folder returns may undo it.
    virtual bool RemoveFile(const std::string& name) = 0;

    // Returns only when every creation, rename and removal so far in the
    // folder that holds name is on the disk. A new folder's own entry is on
    // the disk once SyncDir of the folder's name returns.
    virtual bool SyncDir(const std::string& name) = 0;

    // Opens an existing file for reading only, without taking it: a file
    // another open holds can be read. Writes through the result fail.
    virtual std::unique_ptr<TEnvFile> OpenReadOnly(const std::string& name) = 0;

    virtual bool FolderExists(const std::string& name) = 0;

    // Creates one folder in an existing one; fails when the name is taken.
    // A power loss before SyncDir of the new folder's name returns may undo
    // it, with everything written into the folder since.
    virtual bool CreateFolder(const std::string& name) = 0;

    // Removes an empty folder; undone by a power loss as CreateFolder is.
    virtual bool RemoveFolder(const std::string& name) = 0;

    struct TFolderEntry {
        std::string Name;  // without the folder
        bool Folder = false;
        bool operator==(const TFolderEntry&) const = default;
    };
    // The files and folders directly in the folder, ordered by name. False
    // for a missing folder.
    virtual bool ListFolder(const std::string& name, std::vector<TFolderEntry>& entries) = 0;

    // True when both names exist and name one file or folder.
    virtual bool SameFile(const std::string& a, const std::string& b) = 0;

    // Copies the bytes of the file from into the file to, created or emptied,
    // through WriteFrom; the copied bytes are on the disk when it returns
    // true (the name of a new file as CreateFile leaves it). Fails for one
    // file under two names.
    bool CopyFile(const std::string& from, const std::string& to);

    // The environment of the real file system (POSIX, with advisory locks).
    static TFileEnv* Default();
};

} // namespace tv
