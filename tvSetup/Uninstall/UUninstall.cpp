#include "UUninstall.h"

#include "UDeskLink.h"
#include "UInstallation.h"
#include "URegistry.h"

#include <cerrno>
#include <unistd.h>

namespace tv {

namespace {

std::string RegisteredUninstaller()
{
    TRegistry reg;
    try {
        return reg.OpenKey(UninstallKey, false) ? reg.ReadString("UninstallString") : std::string();
    } catch (const ERegistryException&) {
        return {};
    }
}

// Deletes the key and then each parent that it leaves empty.
void DeleteKeyAndEmptyParents(std::string key)
{
    TRegistry reg;
    reg.DeleteKey(key);
    for (auto slash = key.rfind('\\'); slash != std::string::npos && slash > 0; slash = key.rfind('\\')) {
        key.erase(slash);
        if (!reg.KeyIsEmpty(key))
            break;
        reg.DeleteKey(key);
    }
}

} // namespace

TUninstallation::TUninstallation(std::string folder) : FFolder(std::move(folder))
{
    if (FFolder.empty() || FFolder.back() != '/')
        FFolder += '/';
    // The folder as the installation named it, which may differ from the
    // resolved one this program sees of itself.
    const std::string registered = RegisteredUninstaller();
    const auto slash = registered.rfind('/');
    if (slash != std::string::npos && registered.substr(slash + 1) == UninstallFileName &&
        SamePath(registered, FFolder + UninstallFileName))
        FFolder = registered.substr(0, slash + 1);
}

std::string TUninstallation::CfgFile() const { return FFolder + CfgFileName; }

bool TUninstallation::RegisteredHere() const
{
    return SamePath(RegisteredUninstaller(), FFolder + UninstallFileName);
}

unsigned TUninstallation::InstallLang() const
{
    if (!RegisteredHere())
        return langEnglish;
    TRegistry reg;
    try {
        reg.OpenKey(UninstallKey, false);
        const std::int32_t lang = reg.ReadInteger("InstallLang");
        if (lang >= 0 && static_cast<std::size_t>(lang) < LangCodes.size())
            return static_cast<unsigned>(lang);
        return langEnglish;
    } catch (const ERegistryException&) {
        return langEnglish;
    }
}

void TUninstallation::RemoveFile(const std::string& file, std::vector<std::string>& failed)
{
    if (::unlink(file.c_str()) != 0 && errno != ENOENT)
        failed.push_back(file);
}

void TUninstallation::RemoveLink(const std::string& link, const std::string& target,
                                 std::vector<std::string>& failed)
{
    // An entry of another installation stays.
    if (LinkStarts(link, target))
        RemoveFile(link, failed);
}

std::vector<std::string> TUninstallation::Remove(bool removeCfg)
{
    std::vector<std::string> failed;
    const std::string program = FFolder + ProgramFileName;
    const std::string uninstaller = FFolder + UninstallFileName;
    const std::string desktop = GetDesktopFolder(false);
    if (!desktop.empty())
        RemoveLink(desktop + ProgramLinkName, program, failed);
    const std::string programs = GetProgramsFolder(false);
    if (!programs.empty()) {
        const std::string group = programs + GroupName + "/";
        RemoveLink(group + ProgramLinkName, program, failed);
        RemoveLink(group + UninstallLinkName, uninstaller, failed);
        // The submenu goes with the last entry of the group.
        if (::rmdir(group.c_str()) == 0 || errno == ENOENT)
            RemoveGroupMenu();
    }
    if (RegisteredHere()) {
        try {
            DeleteKeyAndEmptyParents(UninstallKey);
        } catch (const ERegistryException&) {
            failed.push_back(UninstallKey);
        }
    }
    RemoveFile(program, failed);
    RemoveFile(FFolder + IconFileName, failed);
    if (removeCfg)
        RemoveFile(CfgFile(), failed);
    RemoveFile(uninstaller, failed);
    ::rmdir(FFolder.c_str());
    return failed;
}

} // namespace tv
