#include "USetupLock.h"

#include "UTopWindows.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tv {

TSetupLock::TSetupLock(const std::string& name, const std::string& folder)
{
    const std::string dir = folder.empty() ? WindowsFolder(&FError) : folder;
    if (dir.empty())
        return;
    FError.clear();
    const std::string file = dir + "/" + name + ".lock";
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        FError = file + ": " + std::strerror(errno);
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            FHeld = true;
        else
            FError = file + ": " + std::strerror(error);
        return;
    }
    FFd = fd;
}

TSetupLock::~TSetupLock()
{
    if (FFd >= 0)
        ::close(FFd);
}

} // namespace tv
