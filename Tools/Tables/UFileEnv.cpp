#include "UFileEnv.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tv {

namespace {

// Calls readSome(at, bytes, done read) until count bytes are read, the end or
// an error: the bytes read, or -1.
template <typename F>
int64_t ReadFully(void* buffer, int64_t count, F readSome)
{
    auto* p = static_cast<char*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const ssize_t n = readSome(p + done, static_cast<size_t>(count - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

class TPosixFile : public TEnvFile {
public:
    explicit TPosixFile(int fd, bool readOnly = false) : FFd(fd), FReadOnly(readOnly) {}
    ~TPosixFile() override { ::close(FFd); }

    int64_t Seek(int64_t offset, int origin) override
    {
        static const int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
        if (origin < 0 || origin > 2)
            return -1;
        off_t pos = ::lseek(FFd, static_cast<off_t>(offset), whence[origin]);
        return pos < 0 ? -1 : static_cast<int64_t>(pos);
    }

    int64_t Read(void* buffer, int64_t count) override
    {
        return ReadFully(buffer, count, [this](char* p, size_t n, int64_t) { return ::read(FFd, p, n); });
    }

    int64_t ReadAt(int64_t offset, void* buffer, int64_t count) override
    {
        return ReadFully(buffer, count, [this, offset](char* p, size_t n, int64_t done) {
            return ::pread(FFd, p, n, static_cast<off_t>(offset + done));
        });
    }

    int64_t Write(const void* buffer, int64_t count) override
    {
        if (FReadOnly)
            return -1;
        const auto* p = static_cast<const char*>(buffer);
        int64_t done = 0;
        while (done < count) {
            ssize_t n = ::write(FFd, p + done, static_cast<size_t>(count - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return done > 0 ? done : -1;
            done += n;
        }
        return done;
    }

    bool Truncate() override
    {
        if (FReadOnly)
            return false;
        off_t pos = ::lseek(FFd, 0, SEEK_CUR);
        return pos >= 0 && ::ftruncate(FFd, pos) == 0;
    }

    // The kernel copies between two files of the system, without the bytes
    // passing through the process; where it cannot (another file system,
    // an old kernel), the pieces go through Read and Write.
    int64_t WriteFrom(TEnvFile& source) override
    {
        auto* from = dynamic_cast<TPosixFile*>(&source);
        if (from == nullptr || FReadOnly)
            return FReadOnly ? -1 : TEnvFile::WriteFrom(source);
        int64_t done = 0;
        for (;;) {
            const ssize_t n = ::copy_file_range(from->FFd, nullptr, FFd, nullptr, size_t(1) << 30, 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && done == 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                                       errno == EOPNOTSUPP || errno == EBADF))
                return TEnvFile::WriteFrom(source);
            if (n < 0)
                return -1;
            if (n == 0)
                return done;
            done += n;
        }
    }

    bool Sync() override
    {
        int rc;
        do {
            rc = ::fdatasync(FFd);
        } while (rc != 0 && errno == EINTR);
        return rc == 0;
    }

    bool NamedBy(const std::string& name) override
    {
        struct stat byFd, byName;
        if (::fstat(FFd, &byFd) != 0)
            return false;
        if (byFd.st_nlink == 0 || ::stat(name.c_str(), &byName) != 0) {
            errno = ENOENT;
            return false;
        }
        if (byFd.st_dev != byName.st_dev || byFd.st_ino != byName.st_ino) {
            errno = ESTALE;
            return false;
        }
        return true;
    }

private:
    int FFd;
    bool FReadOnly;
};

// An advisory lock on the open file description: a second open of the same
// file, in this process or another, cannot take it while this one lives.
bool LockExclusive(int fd)
{
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

std::string ParentDir(const std::string& name)
{
    std::string::size_type slash = name.rfind('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : name.substr(0, slash));
}

bool SyncParentDir(const std::string& name)
{
    int fd = ::open(ParentDir(name).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int rc;
    do {
        rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    // A file system that cannot sync a folder keeps its entries anyway.
    bool ok = rc == 0 || errno == EINVAL;
    ::close(fd);
    return ok;
}

// The lock was taken on what the name named at the open; a rename or
// removal since then leaves the lock on a file the name no longer names.
bool StillNamed(int fd, const std::string& name)
{
    struct stat byFd, byName;
    return ::fstat(fd, &byFd) == 0 && ::stat(name.c_str(), &byName) == 0 &&
           byFd.st_dev == byName.st_dev && byFd.st_ino == byName.st_ino;
}

class TPosixEnv : public TFileEnv {
public:
    bool FileExists(const std::string& name) override
    {
        struct stat st;
        return ::stat(name.c_str(), &st) == 0;
    }

    std::unique_ptr<TEnvFile> CreateFile(const std::string& name) override
    {
        bool created = true;
        int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno == EEXIST) {
            created = false;
            fd = ::open(name.c_str(), O_RDWR | O_CLOEXEC);
        }
        if (fd < 0)
            return nullptr;
        if (!LockExclusive(fd) || !StillNamed(fd, name) || ::ftruncate(fd, 0) != 0) {
            ::close(fd);
            return nullptr;
        }
        if (created && !SyncParentDir(name)) {
            ::unlink(name.c_str());
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<TPosixFile>(fd);
    }

    std::unique_ptr<TEnvFile> OpenFile(const std::string& name) override
    {
        int fd = ::open(name.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0)
            return nullptr;
        struct stat st;
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !LockExclusive(fd) ||
            !StillNamed(fd, name)) {
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<TPosixFile>(fd);
    }

    bool RenameFile(const std::string& from, const std::string& to, bool replace) override
    {
        if (replace)
            return ::rename(from.c_str(), to.c_str()) == 0;
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
            return true;
        if (errno != EINVAL && errno != ENOSYS)
            return false;
        // Without the flag: a link fails on an existing name, as wanted.
        if (::link(from.c_str(), to.c_str()) != 0)
            return false;
        ::unlink(from.c_str());
        return true;
    }

    bool RemoveFile(const std::string& name) override { return ::unlink(name.c_str()) == 0; }

    bool SyncDir(const std::string& name) override { return SyncParentDir(name); }

    std::unique_ptr<TEnvFile> OpenReadOnly(const std::string& name) override
    {
        int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return nullptr;
        struct stat st;
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<TPosixFile>(fd, true);
    }

    bool FolderExists(const std::string& name) override
    {
        struct stat st;
        return ::stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }

    bool CreateFolder(const std::string& name) override { return ::mkdir(name.c_str(), 0755) == 0; }

    bool RemoveFolder(const std::string& name) override { return ::rmdir(name.c_str()) == 0; }

    bool ListFolder(const std::string& name, std::vector<TFolderEntry>& entries) override
    {
        entries.clear();
        DIR* dir = ::opendir(name.c_str());
        if (!dir)
            return false;
        const std::string prefix = name.empty() || name.back() == '/' ? name : name + "/";
        while (const dirent* e = ::readdir(dir)) {
            const std::string entry = e->d_name;
            if (entry == "." || entry == "..")
                continue;
            struct stat st;
            const bool folder = ::stat((prefix + entry).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
            entries.push_back({entry, folder});
        }
        ::closedir(dir);
        std::sort(entries.begin(), entries.end(),
                  [](const TFolderEntry& a, const TFolderEntry& b) { return a.Name < b.Name; });
        return true;
    }

    bool SameFile(const std::string& a, const std::string& b) override
    {
        struct stat sa, sb;
        return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
               sa.st_ino == sb.st_ino;
    }
};

} // namespace

int64_t TEnvFile::WriteFrom(TEnvFile& source)
{
    std::vector<char> buffer(size_t(1) << 20);
    int64_t done = 0;
    for (;;) {
        const int64_t n = source.Read(buffer.data(), static_cast<int64_t>(buffer.size()));
        if (n < 0)
            return -1;
        if (n == 0)
            return done;
        if (Write(buffer.data(), n) != n)
            return -1;
        done += n;
    }
}

bool TFileEnv::CopyFile(const std::string& from, const std::string& to)
{
    if (SameFile(from, to))
        return false;
    std::unique_ptr<TEnvFile> in = OpenReadOnly(from);
    std::unique_ptr<TEnvFile> out = in ? CreateFile(to) : nullptr;
    if (!out)
        return false;
    return out->WriteFrom(*in) >= 0 && out->Sync();
}

TFileEnv* TFileEnv::Default()
{
    static TPosixEnv env;
    return &env;
}

} // namespace tv
