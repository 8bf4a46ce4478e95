#pragma once
// What the uninstaller removes: the files the setup program wrote into the
// folder, its menu and desktop entries and its uninstall entry, each only
// when it belongs to this installation. The folders Data and Hist, and
// everything else the program made, stay.

#include <string>
#include <vector>

namespace tv {

class TUninstallation {
public:
    // folder: the installation folder, ending in '/'. When it is, through
    // links, the folder of the uninstall entry, the entry's spelling is kept.
    explicit TUninstallation(std::string folder);

    const std::string& Folder() const { return FFolder; }
    std::string CfgFile() const;

    // The language code stored with the uninstall entry of this folder
    // (a TLanguage); English when there is none.
    unsigned InstallLang() const;
    // Whether the uninstall entry names this folder's uninstaller (compared
    // with links resolved).
    bool RegisteredHere() const;

    // Removes everything listed above, the configuration file only with
    // removeCfg, then the folder and the menu group when they are left
    // empty, the submenu with the group, and the registry keys that the
    // entry's removal left empty. Returns what exists but could not be
    // removed.
    std::vector<std::string> Remove(bool removeCfg);

private:
    void RemoveFile(const std::string& file, std::vector<std::string>& failed);
    void RemoveLink(const std::string& link, const std::string& target, std::vector<std::string>& failed);

    std::string FFolder;
};

} // namespace tv
