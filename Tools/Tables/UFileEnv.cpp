#include "UFileEnv.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tv {

namespace {

class TPosixFile : public TEnvFile {
public:
    explicit TPosixFile(int fd) : FFd(fd) {}
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
        auto* p = static_cast<char*>(buffer);
        int64_t done = 0;
        while (done < count) {
            ssize_t n = ::read(FFd, p + done, static_cast<size_t>(count - done));
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

    int64_t Write(const void* buffer, int64_t count) override
    {
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
        off_t pos = ::lseek(FFd, 0, SEEK_CUR);
        return pos >= 0 && ::ftruncate(FFd, pos) == 0;
    }

    bool Sync() override
    {
        int rc;
        do {
            rc = ::fdatasync(FFd);
        } while (rc != 0 && errno == EINTR);
        return rc == 0;
    }

private:
    int FFd;
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
};

} // namespace

TFileEnv* TFileEnv::Default()
{
    static TPosixEnv env;
    return &env;
}

} // namespace tv
