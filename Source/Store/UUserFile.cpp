#include "UUserFile.h"

#include "UFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tv {

TUserFile::TUserFile(std::string path) : FPath(std::move(path))
{
    FFd = ::open(FPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (FFd < 0)
        FError = errno != 0 ? errno : EIO;
}

TUserFile::~TUserFile() { Close(); }

bool TUserFile::Write(std::string_view data)
{
    for (size_t done = 0; done < data.size();) {
        const ssize_t n = FFd < 0 || FError ? -1 : ::write(FFd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (FFd >= 0 && !FError && errno == EINTR)
                continue;
            if (!FError)
                FError = FFd < 0 ? EBADF : errno;
            return false;
        }
        done += size_t(n);
    }
    return FError == 0;
}

bool TUserFile::Close()
{
    if (FFd >= 0 && ::close(FFd) != 0 && !FError)
        FError = errno;
    FFd = -1;
    return FError == 0;
}

void TUserFile::Check() const
{
    if (FError)
        throw EFileError("Cannot write", FPath, std::strerror(FError), "EInOutError");
}

} // namespace tv
