#include "UInstallation.h"

#include "UCarried.h"
#include "UCloseProgram.h"
#include "UDeskLink.h"
#include "UException.h"
#include "UIniFile.h"
#include "ULangOptions.h"
#include "UPassword.h"
#include "USetupNames.h"
#include "USetupTextConst.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace tv {

namespace {

namespace fs = std::filesystem;

bool IsDir(const std::string& path)
{
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool IsFile(const std::string& path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

std::string WithoutDelimiter(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Whether the configuration file holds the no-password value and the
// language: both reach the file only when it could be written.
bool CfgHolds(const std::string& file, unsigned langCode)
{
    const TIniFile ini(file);
    const std::string password = ini.ReadString("Security", "Password", "");
    char* end = nullptr;
    const unsigned long value = std::strtoul(password.c_str(), &end, 16);
    return !password.empty() && *end == '\0' && value == NoPasswordValue &&
           ini.ReadString("Language", "ProgLang", "") == LangCodes.at(langCode);
}

} // namespace

void RaiseSetupError(const std::string& key) { throw Exception(key); }

std::int64_t FolderFreeSpace(const std::string& folder, std::string& checked)
{
    std::string path = WithoutDelimiter(folder);
    std::error_code ec;
    while (!fs::exists(path, ec)) {
        const auto slash = path.rfind('/');
        if (slash == std::string::npos) {
            checked = folder;
            return -1;
        }
        path = slash == 0 ? "/" : path.substr(0, slash);
    }
    checked = path;
    struct statvfs st {};
    if (::statvfs(path.c_str(), &st) != 0)
        return -1;
    return static_cast<std::int64_t>(st.f_bavail) * static_cast<std::int64_t>(st.f_frsize);
}

TInstallation::TInstallation(IInstallView& view)
    : ReadResource(ReadCarriedFile),
      CloseProgram([](const std::string& folder) { return CloseRunningProgram(folder); }),
      FView(view)
{
}

TInstallation::~TInstallation() = default;

void TInstallation::Install(const TInstallChoice& choice)
{
    TV_ASSERT(!choice.InstallPath.empty(), "No Set Setup Path");
    FChoice = choice;
    FTotalSize = 0;
    FRegistry = std::make_unique<TRegistry>();
    try {
        RunStep(SetupText.StepCloseProgram, true, &TInstallation::StepCloseProgram);
        RunStep(SetupText.StepDiskSpace, true, &TInstallation::StepCheckDiskSpace);
        RunStep(SetupText.StepCreateDir, true, &TInstallation::StepCreateDir);
        RunStep(SetupText.StepCopyFiles, true, &TInstallation::StepCopyFiles);
        RunStep(SetupText.StepRegistry, true, &TInstallation::StepUninstallEntry);
        RunStep(SetupText.StepCreateCfg, true, &TInstallation::StepCreateCfg);
        RunStep(SetupText.StepMenuGroup, FChoice.MenuGroup, &TInstallation::StepMenuGroup);
        RunStep(SetupText.StepDesktopLink, FChoice.DesktopLink, &TInstallation::StepDesktopLink);
    } catch (...) {
        FRegistry.reset();
        throw;
    }
    FRegistry.reset();
}

void TInstallation::RunStep(const std::string& text, bool enabled, TStep routine)
{
    if (!enabled)
        return;
    const int line = FView.AddLine(text + "...");
    try {
        (this->*routine)();
    } catch (...) {
        FView.SetLine(line, text + "   - " + SetupText.StepError);
        throw;
    }
    FView.SetLine(line, text + "   - Ok");
    FView.AddLine("");
}

void TInstallation::AddDetail(const std::string& text) { FView.AddLine("    " + text); }

void TInstallation::AddReason(const std::string& path, int error)
{
    AddDetail((path.empty() ? std::string() : path + ": ") + std::strerror(error));
}

void TInstallation::StepCloseProgram()
{
    if (CloseProgram(FChoice.InstallPath))
        return;
    AddDetail(SetupText.MsgCloseProgram);
    RaiseSetupError("errCloseRunProgram");
}

void TInstallation::StepCheckDiskSpace()
{
    const std::string& path = FChoice.InstallPath;
    if (path.empty() || path[0] != '/') {
        AddDetail(SetupText.MsgPathDrive + " " + Quoted(path));
        RaiseSetupError("errPathDrive");
    }
    std::string checked;
    if (FreeSpace(path, checked) < MinFreeSpace) {
        AddDetail(SetupText.MsgDiskSpace + " " + checked);
        RaiseSetupError("errDiskSpace");
    }
}

void TInstallation::StepCreateDir()
{
    const std::string folder = WithoutDelimiter(FChoice.InstallPath);
    if (IsDir(folder))
        return;
    const std::string parent = folder.substr(0, folder.rfind('/') + 1);
    if (!IsDir(parent)) {
        AddDetail(SetupText.MsgNoParentDir + "  " + Quoted(parent));
        RaiseSetupError("errMainDirCreate");
    }
    if (::mkdir(folder.c_str(), 0755) != 0) {
        AddReason(folder, errno);
        RaiseSetupError("errMainDirCreate");
    }
}

void TInstallation::StepCopyFiles()
{
    const std::string& path = FChoice.InstallPath;
    WriteResourceFile("EXEFILE", "PROGRAM", path + ProgramFileName, true);
    WriteResourceFile("EXEFILE", "UNINST", path + UninstallFileName, true);
    WriteResourceFile("ICON", "PROGRAM", path + IconFileName, false);
}

void TInstallation::WriteResourceFile(const std::string& type, const std::string& name, const std::string& file,
                                      bool executable)
{
    AddDetail(file);
    FView.ProcessMessages();
    if (FView.CanWriteFile(file)) {
        std::string data;
        if (!ReadResource(type, name, data))
            RaiseSetupError("errFileCopy");
        if (!WriteInstalledFile(file, data, executable)) {
            AddReason(file, errno);
            RaiseSetupError("errFileCopy");
        }
        FTotalSize += static_cast<std::uint32_t>(data.size() / 1024);
    } else {
        struct stat st {};
        if (::stat(file.c_str(), &st) == 0)
            FTotalSize += static_cast<std::uint32_t>(st.st_size / 1024);
    }
    if (!IsFile(file))
        RaiseSetupError("errFileCopy");
}

void TInstallation::StepUninstallEntry()
{
    try {
        if (!FRegistry->OpenKey(UninstallKey, true))
            RaiseSetupError("errOpenRegistryKey");
    } catch (const ERegistryException&) {
        AddReason(FRegistry->StoreFile(), errno);
        RaiseSetupError("errOpenRegistryKey");
    }
    const std::string& path = FChoice.InstallPath;
    FRegistry->WriteString("DisplayName", "Tarnovell");
    FRegistry->WriteString("UninstallString", path + UninstallFileName);
    FRegistry->WriteString("DisplayIcon", path + ProgramFileName);
    FRegistry->WriteString("DisplayVersion", ProductVersion);
    FRegistry->WriteInteger("NoModify", 1);
    FRegistry->WriteInteger("NoRepair", 1);
    FRegistry->WriteString("Publisher", SetupText.Publisher);
    FRegistry->WriteString("UrlInfoAbout", SetupText.UrlInfoAbout);
    FRegistry->WriteString("UrlUpdateInfo", SetupText.UrlUpdateInfo);
    FRegistry->WriteString("HelpLink", SetupText.HelpLink);
    FRegistry->WriteInteger("InstallLang", static_cast<std::int32_t>(FChoice.LangCode));
    FRegistry->WriteInteger("EstimatedSize", static_cast<std::int32_t>(FTotalSize));
}

void TInstallation::StepCreateCfg()
{
    const std::string file = FChoice.InstallPath + CfgFileName;
    AddDetail(file);
    FView.ProcessMessages();
    if (FView.CanWriteFile(file)) {
        {
            TSecurityOptions security(file, UninstallKey);
            security.SetPassword(NoPasswordValue);
        }
        WriteLangCfg(file, FChoice.LangCode, 0);
        if (!CfgHolds(file, FChoice.LangCode))
            RaiseSetupError("errCreateCfgFile");
    }
    if (!IsFile(file))
        RaiseSetupError("errCreateCfgFile");
}

void TInstallation::StepMenuGroup()
{
    std::string group;
    if (!CreateProgramGroup(GroupName, group)) {
        AddReason(group.empty() ? ProgramsFolderName() : group, errno);
        RaiseSetupError("errCreateMenuGroup");
    }
    const std::string& path = FChoice.InstallPath;
    AddMenuLink(path + ProgramFileName, ProgramLinkName, SetupText.LinkDescript, group, {});
    AddMenuLink(path + UninstallFileName, UninstallLinkName, SetupText.UninstLinkDescript, group,
                SetupText.UninstLinkName);
    std::string failed;
    if (!CreateGroupMenu(GroupName, {ProgramLinkName, UninstallLinkName}, path + IconFileName, failed)) {
        AddReason(failed, errno);
        RaiseSetupError("errCreateMenuGroup");
    }
}

void TInstallation::AddMenuLink(const std::string& target, const std::string& linkName,
                                const std::string& description, const std::string& groupFolder,
                                const std::string& name)
{
    AddDetail(groupFolder + linkName);
    if (!FView.CanWriteFile(groupFolder + linkName))
        return;
    std::string written;
    if (!CreateShellLink(target, linkName, description, FChoice.InstallPath + IconFileName, written, groupFolder,
                         name)) {
        AddReason(written, errno);
        RaiseSetupError("errCreateMenuLnk");
    }
}

void TInstallation::StepDesktopLink()
{
    AddDesktopLink(FChoice.InstallPath + ProgramFileName, ProgramLinkName, SetupText.LinkDescript);
}

void TInstallation::AddDesktopLink(const std::string& target, const std::string& linkName,
                                   const std::string& description)
{
    const std::string desktop = GetDesktopFolder(true);
    const int error = errno;
    AddDetail(desktop + linkName);
    if (desktop.empty()) {
        AddReason(DesktopFolderName(), error);
        RaiseSetupError("errCreateDesktopLnk");
    }
    if (!FView.CanWriteFile(desktop + linkName))
        return;
    std::string written;
    if (!CreateDesktopLink(target, linkName, description, FChoice.InstallPath + IconFileName, written)) {
        AddReason(written, errno);
        RaiseSetupError("errCreateDesktopLnk");
    }
}

} // namespace tv
