#include "UCarried.h"

#include "UExeFile.h"
#include "UFileUtils.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tv {

std::string CarriedSection(const std::string& type, const std::string& name)
{
    return ".tv_res." + type + "." + name;
}

bool ReadCarriedFile(const std::string& type, const std::string& name, std::string& data)
{
    return ReadElfSection(ExeFileName(), CarriedSection(type, name), data);
}

bool WriteInstalledFile(const std::string& fileName, const std::string& data, bool executable)
{
    // The atomic write keeps the mode of the file it replaces, so a new
    // file is first made empty with the wanted mode.
    bool made = false;
    struct stat st {};
    if (::lstat(fileName.c_str(), &st) != 0) {
        const int fd = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, executable ? 0755 : 0644);
        if (fd < 0)
            return false;
        ::close(fd);
        made = true;
    }
    if (WriteFileAtomic(fileName, data))
        return true;
    const int error = errno;
    if (made)
        ::unlink(fileName.c_str());
    errno = error;
    return false;
}

} // namespace tv
