#include "UFileUtils.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tv {

namespace {

std::string FolderOf(const std::string& fileName)
{
    const auto slash = fileName.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return fileName.substr(0, slash);
}

bool WriteAll(int fd, const std::string& data)
{
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool ReadWholeFile(const std::string& fileName, std::string& data)
{
    data.clear();
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buf[65536];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        if (n == 0)
            break;
        data.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    if (!ok)
        data.clear();
    return ok;
}

bool WriteFileAtomic(const std::string& fileName, const std::string& data)
{
    const std::string folder = FolderOf(fileName);
    struct stat old {};
    const bool existed = ::stat(fileName.c_str(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode)) {
        errno = S_ISDIR(old.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    // A read-only file is not replaced, even by a user the system would let.
    if (existed && ((old.st_mode & 0222) == 0 || ::access(fileName.c_str(), W_OK) != 0)) {
        errno = EACCES;
        return false;
    }

    std::string tmpl = fileName + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return false;

    const mode_t mode = existed ? (old.st_mode & 07777) : 0644;
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, data) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::rename(name.data(), fileName.c_str()) == 0;
    if (!ok) {
        const int error = errno;
        ::unlink(name.data());
        errno = error;
        return false;
    }
    SyncFolder(folder);
    return true;
}

} // namespace tv
