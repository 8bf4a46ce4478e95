#include "USetupLock.h"

#include "UTopWindows.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tv {

TSetupLock::TSetupLock(const std::string& name, const std::string& folder)
{
    const std::string file = (folder.empty() ? WindowsFolder() : folder) + "/" + name + ".lock";
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
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
