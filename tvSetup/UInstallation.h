#pragma once
// The installation's eight steps, apart from the wizard: each step is a
// line of the progress memo that ends in Ok or the word for error, with its
// detail lines below it. A failing step raises an error whose message is its
// key (errDiskSpace ...), which ends the installation; what earlier steps
// wrote stays.

#include "URegistry.h"
#include "USetupNames.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tv {

// The uninstall entry of the current user's registry.
inline constexpr const char* UninstallKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnovell";

// File names in the installation folder.
inline constexpr const char* ProgramFileName = "tarnovell";
inline constexpr const char* UninstallFileName = "uninstall";
inline constexpr const char* IconFileName = "tarnovell.png";
inline constexpr const char* CfgFileName = "tarnovell.cfg";
// The menu group and its entries, and the desktop entry.
inline constexpr const char* GroupName = "Tarnovell";
inline constexpr const char* ProgramLinkName = "Tarnovell.desktop";
inline constexpr const char* UninstallLinkName = "Uninstall.desktop";

// Less free space than this fails the installation.
inline constexpr std::int64_t MinFreeSpace = 8388608;

// The wizard's side of an installation: the progress memo, the overwrite
// question and the showing of pending window messages.
class IInstallView {
public:
    virtual ~IInstallView() = default;
    // Appends a line and returns its index.
    virtual int AddLine(const std::string& text) = 0;
    virtual void SetLine(int index, const std::string& text) = 0;
    // Whether the file may be written (a file that does not exist may).
    virtual bool CanWriteFile(const std::string& fileName) = 0;
    virtual void ProcessMessages() = 0;
};

struct TInstallChoice {
    std::string InstallPath;  // the folder, ending in '/'
    unsigned LangCode = langEnglish;  // a TLanguage
    bool MenuGroup = true;
    bool DesktopLink = true;
};

// Raises the plain error with the key as its message.
[[noreturn]] void RaiseSetupError(const std::string& key);

// Free bytes of the file system that holds the folder or, when it does not
// exist yet, its nearest existing parent; -1 when it cannot be read. The
// folder looked at is put into checked.
std::int64_t FolderFreeSpace(const std::string& folder, std::string& checked);

class TInstallation {
public:
    explicit TInstallation(IInstallView& view);
    ~TInstallation();

    // Runs the eight steps in order with the current SetupText; raises the
    // error of the first that fails. Every run counts its size afresh.
    void Install(const TInstallChoice& choice);

    // Kilobytes of the carried files of the last run.
    std::uint32_t TotalSize() const { return FTotalSize; }

    // What the steps reach outside; tests replace them.
    std::function<std::int64_t(const std::string& folder, std::string& checked)> FreeSpace = FolderFreeSpace;
    std::function<bool(const std::string& type, const std::string& name, std::string& data)> ReadResource;
    std::function<bool(const std::string& folder)> CloseProgram;
    // The product version written as DisplayVersion.
    std::string ProductVersion;

    void StepCloseProgram();
    void StepCheckDiskSpace();
    void StepCreateDir();
    void StepCopyFiles();
    void StepUninstallEntry();
    void StepCreateCfg();
    void StepMenuGroup();
    void StepDesktopLink();

private:
    using TStep = void (TInstallation::*)();
    void RunStep(const std::string& text, bool enabled, TStep routine);
    void AddDetail(const std::string& text);
    // The detail line of a system failure: the path and the system's reason.
    void AddReason(const std::string& path, int error);
    void WriteResourceFile(const std::string& type, const std::string& name, const std::string& file,
                           bool executable);
    void AddMenuLink(const std::string& target, const std::string& linkName, const std::string& description,
                     const std::string& groupFolder, const std::string& name);
    void AddDesktopLink(const std::string& target, const std::string& linkName, const std::string& description);

    IInstallView& FView;
    TInstallChoice FChoice;
    std::unique_ptr<TRegistry> FRegistry;
    std::uint32_t FTotalSize = 0;
};

} // namespace tv
