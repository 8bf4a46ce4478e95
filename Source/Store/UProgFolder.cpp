#include "UProgFolder.h"

#include "UExeFile.h"

#include <mutex>

namespace tv {

namespace {

std::mutex& FolderLock()
{
    static std::mutex lock;
    return lock;
}

std::string& FolderOverride()
{
    static std::string folder;
    return folder;
}

std::string WithSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

std::string ProgramFolder()
{
    {
        std::lock_guard guard(FolderLock());
        if (!FolderOverride().empty())
            return FolderOverride();
    }
    const std::string exe = ExeFileName();
    const auto slash = exe.rfind('/');
    return slash == std::string::npos ? std::string("./") : exe.substr(0, slash + 1);
}

void SetProgramFolder(const std::string& folder)
{
    std::lock_guard guard(FolderLock());
    FolderOverride() = folder.empty() ? std::string() : WithSlash(folder);
}

} // namespace tv
