#pragma once
// TFile: one disk file by name, opened exclusively for reading and writing.
// Reads and writes move the full byte count or fail; every failure is a
// tv::Exception with the engine's message.

#include "UException.h"
#include "UFileEnv.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tv {

// The texts of an operation refused because the file is open, or closed;
// shared by the files built on TFile.
extern const char* const SOpened;
extern const char* const SClosed;

// A failed operation on a file: the engine's fixed text, the file and the
// system's reason, shown as the text, a line break, the file and the reason.
class EFileError : public Exception {
public:
    EFileError(const std::string& text, const std::string& path, const std::string& reason,
               const char* className = "Exception");
    const std::string& Text() const { return FText; }
    const std::string& Path() const { return FPath; }
    const std::string& Reason() const { return FReason; }

private:
    std::string FText, FPath, FReason;
};

class TFile {
public:
    TFile();
    TFile(const TFile&) = delete;
    TFile& operator=(const TFile&) = delete;
    virtual ~TFile();

    const std::string& GetFileName() const { return FFileName; }
    // The file must be closed and the name not empty.
    void SetFileName(const std::string& name);

    // The environment that carries the file operations; the default one is
    // the real file system. The file must be closed; env outlives the file.
    void SetEnv(TFileEnv* env);
    TFileEnv* GetEnv() const { return FEnv; }

    bool IsOpen() const { return FOpen; }

    // Creates the file (emptying it when Overwrite is true and it exists) and
    // opens it. An existing file is left untouched unless Overwrite is true.
    virtual void CreateNew(bool Overwrite);
    // Opens an existing file; a missing one is made through the virtual
    // CreateNew(false) when CreateIfMissing is true. Fails while another
    // open of the file, from this process or another, holds it.
    virtual void Open(bool CreateIfMissing);
    // Closes an open file; on a closed one it fails.
    virtual void Close();

    // Origin 0 from the start, 1 from the position, 2 from the end. A seek
    // from the start must land on Offset.
    int64_t Seek(int64_t Offset, int Origin);
    int32_t Read(void* Buffer, int32_t Count);
    // Count bytes at Offset, the position unchanged; safe from several
    // threads at once while nothing else uses the file.
    void ReadAt(int64_t Offset, void* Buffer, int32_t Count) const;
    int32_t Write(const void* Buffer, int32_t Count);
    // Ends the file at the position. The file must be open.
    void Truncate();
    // Returns when everything written so far is on the disk. The file must
    // be open.
    void Flush();
    // Fails unless the name still names the open file: a file removed or
    // replaced under a running program takes no more changes. One stat.
    void CheckNamed();

protected:
    // A creation that never leaves part of a file under the name. Begin makes
    // the file under a temporary name in the same folder (a stale one left
    // by a crash is emptied and reused) and opens it; for an existing file
    // with Overwrite it also holds that file, so it fails like CreateNew
    // while another open holds it. Commit flushes the file and gives it the
    // name, replacing the held one, and flushes the folder. Until Commit
    // has renamed the file, a failure or power loss leaves the name as it
    // was; Close before then removes the temporary file.
    void BeginCreate(bool Overwrite);
    void CommitCreate();

    // The temporary name BeginCreate uses for the file name.
    static std::string TempName(const std::string& name);

private:
    void CheckOpen() const;
    // Raises EFileError with the text, the file name and the reason of the
    // system's error number (none when 0).
    [[noreturn]] void Fail(const char* text, int error) const;

    std::string FFileName;
    std::unique_ptr<TEnvFile> FHandle;
    std::unique_ptr<TEnvFile> FReplaced;
    std::string FTempName;
    bool FOpen = false;
    TFileEnv* FEnv;
};

} // namespace tv
